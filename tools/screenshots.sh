#!/bin/sh
# Makes the README's screenshots of Pendrix under Wine on a virtual display:
# the start page, the replace page, the delete page and the About window,
# each reached with the keyboard as a user would (the focus starts on Info),
# and the replace page as Explorer's menu opens it, from the command line.
# Writes docs/screenshots/*.png. Needs the Windows build (tools/run.sh).
set -eu
cd "$(dirname "$0")/.."
exe=$PWD/build/windows/Pendrix.exe
[ -f "$exe" ] || { echo "build Pendrix.exe first: ./tools/run.sh" >&2; exit 1; }
out=$PWD/docs/screenshots
mkdir -p "$out"
export WINEPREFIX="$PWD/build/screenshot-prefix"
. ./tools/wine_display.sh

trap 'wineserver -k >/dev/null 2>&1 || true; stop_virtual_display' EXIT
start_virtual_display
prepare_prefix

# shot NAME KEYS...: starts Pendrix (with the command line in $arguments),
# presses the keys, saves NAME.png.
arguments=
shot() {
    name=$1
    shift
    # shellcheck disable=SC2086  # the arguments are words of the command line
    wine explorer "/desktop=Pendrix,1024x768" "$exe" $arguments >/dev/null 2>&1 &
    wait_for_drawing 200x150+412+309
    desktop=$(xdotool search --name 'Wine desktop' | head -n 1)
    xdotool windowfocus --sync "$desktop" 2>/dev/null || xdotool windowfocus "$desktop"
    for key in "$@"; do
        xdotool key --clearmodifiers "$key"
        sleep 0.3
    done
    sleep 1
    save_screenshot "$out/$name.png"
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w 2>/dev/null || true
    echo "$out/$name.png"
}

shot start-page
shot replace-page Tab Tab Tab Tab space
shot delete-page Tab Tab Tab Tab Tab space
shot about space
arguments='/replace C:\windows\system32\version.dll' shot command-line-replace
