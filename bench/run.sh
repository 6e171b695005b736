#!/bin/sh
# Builds the Windows benchmarks and runs them under Wine in a prefix of
# their own (build/windows/bench-prefix).
set -eu
cd "$(dirname "$0")/.."
cmake --preset windows >/dev/null
cmake --build --preset windows --target pending_list_bench
export WINEPREFIX="$PWD/build/windows/bench-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
wineboot -i </dev/null >/dev/null 2>&1
./tools/wine_fonts.sh "$WINEPREFIX"
wine build/windows/bench/pending_list_bench.exe
wineserver -w
