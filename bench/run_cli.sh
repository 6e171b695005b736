#!/bin/sh
# Builds pendrix-cli, its test helpers and the baselines and runs the console
# tool's benchmark under Wine in a prefix of its own
# (build/windows/cli-bench-prefix). Usage: run_cli.sh [list|holders]
# (both when none is named).
set -eu
cd "$(dirname "$0")/.."
cmake --preset windows >/dev/null
cmake --build --preset windows --target pendrix-cli cli_test_helper handle_holders handle_table_walk
export WINEPREFIX="$PWD/build/windows/cli-bench-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A display: the file holders of the holders part keep a window, which
# tells them when the session ends.
. ./tools/wine_display.sh
trap 'stop_virtual_display' EXIT
[ -n "${DISPLAY:-}" ] || start_virtual_display
prepare_prefix </dev/null
# One session for the whole run: a new one would carry out the list.
wineserver -p </dev/null >/dev/null 2>&1
status=0
python3 bench/cli_bench.py build/windows/pendrix-cli.exe build/windows/tests/wine/cli_test_helper.exe "$@" || status=$?
wineserver -k
exit $status
