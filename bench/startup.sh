#!/bin/sh
# Start-up benchmark: builds Pendrix.exe and a minimal Win32 program, bare
# and themed (the common controls loaded too), and times, under Wine on a
# virtual display, each one's start until its window is shown, alternated
# in one run; prints the medians, the ratio to the themed floor (the target
# is at most 1.2) and to the bare one, and the size of Pendrix.exe (at most
# 800 KB), each also in one line for scripts ("ratio startup R target T").
# Usage: bench/startup.sh [ROUNDS]
set -eu
cd "$(dirname "$0")/.."
cmake --preset windows >/dev/null
cmake --build --preset windows -j 2 --target Pendrix minimal_window themed_window startup_bench >/dev/null
export WINEPREFIX="$PWD/build/windows/bench-prefix"
. ./tools/wine_display.sh
trap 'wineserver -k >/dev/null 2>&1 || true; stop_virtual_display' EXIT
[ -n "${DISPLAY:-}" ] || start_virtual_display
prepare_prefix
wineserver -p >/dev/null 2>&1  # one session for the whole run
wine build/windows/bench/startup_bench.exe build/windows/Pendrix.exe build/windows/bench/minimal_window.exe \
    build/windows/bench/themed_window.exe "${1:-21}"
size=$(stat -c %s build/windows/Pendrix.exe)
echo "Pendrix.exe size: $size bytes ($((size / 1024)) KB; the target is at most 800 KB)"
echo "size Pendrix.exe $size target $((800 * 1024))"
