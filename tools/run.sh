#!/bin/sh
# Installs what is needed, builds Pendrix.exe and pendrix-cli.exe and starts
# Pendrix under Wine, in a Wine prefix of the project's own (build/run-prefix)
# with Wine's fonts. With no display, it runs on a virtual one, saves a
# screenshot and says where.
set -eu
cd "$(dirname "$0")/.."
./tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j 2 --target Pendrix pendrix-cli
exe=$PWD/build/windows/Pendrix.exe
export WINEPREFIX="$PWD/build/run-prefix"
. ./tools/wine_display.sh

if [ -n "${DISPLAY:-}" ]; then
    prepare_prefix
    echo "Starting Pendrix (prefix $WINEPREFIX)"
    wine "$exe"
    exit 0
fi

trap 'wineserver -k >/dev/null 2>&1 || true; stop_virtual_display' EXIT
start_virtual_display
prepare_prefix
# A Wine virtual desktop draws title bars, which Xvfb alone does not.
wine explorer /desktop=Pendrix,1024x768 "$exe" >/dev/null 2>&1 &
wait_for_drawing 200x150+412+309
shot=$PWD/build/pendrix-start.png
save_screenshot "$shot"
echo "No display: Pendrix ran on a virtual display ($DISPLAY). Screenshot: $shot"
