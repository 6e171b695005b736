#!/bin/sh
# Runs a test program of the windows in a Wine prefix of its own whose
# display is set to a given DPI (LogPixels), in a session of its own.
# Usage: high_dpi_test.sh PREFIX DPI PROGRAM.exe [ARGS...]
set -eu
export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" PENDRIX_EXPECTED_DPI="$2"
dpi=$2
shift 2
mkdir -p "$WINEPREFIX"
wineserver -k >/dev/null 2>&1 || true
wineserver -w 2>/dev/null || true
wineboot -i </dev/null >/dev/null 2>&1
"$(dirname "$0")/../../tools/wine_fonts.sh" "$WINEPREFIX"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1
# Unmanaged windows: without a window manager Wine would wait for one.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
# The next session reads the new DPI.
wineserver -w
status=0
"$(dirname "$0")/run_in_wine.sh" "$@" || status=$?
wineserver -k >/dev/null 2>&1 || true
wineserver -w 2>/dev/null || true
exit $status
