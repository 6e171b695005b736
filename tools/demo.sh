#!/bin/sh
# Shows Pendrix's main job end to end under Wine, on a virtual display when
# there is none: another program holds a file open, Pendrix is asked through
# its window to replace it, says it will happen at the next start, and
# "Restart", once confirmed, restarts Windows as a restart does under Wine:
# the programs are asked to close and end (the one holding the file too),
# then the start-up processing replaces the file. Prints each step and saves
# a screenshot of each.
# Usage: tools/demo.sh [--built] [OUTPUT_FOLDER]   (default build/demo)
# --built: use the Windows build as it is, without setup or building.
set -eu
cd "$(dirname "$0")/.."
built=no
[ "${1:-}" = "--built" ] && { built=yes; shift; }
out=${1:-$PWD/build/demo}

if [ $built = no ]; then
    ./tools/setup.sh
    cmake --preset windows >/dev/null
    cmake --build --preset windows -j 2 --target Pendrix pendrix-cli window_driver file_holder
fi
bin=$PWD/build/windows
export WINEPREFIX="$out/prefix"
. ./tools/wine_display.sh

fail() {
    echo "FAILED: $*"
    exit 1
}
step() { printf '\n== %s\n' "$*"; }

trap 'wineserver -k >/dev/null 2>&1 || true; stop_virtual_display' EXIT
rm -rf "$out"
mkdir -p "$out"
[ -n "${DISPLAY:-}" ] || start_virtual_display
step "A Wine prefix of the demo's own: $WINEPREFIX"
prepare_prefix

demo="$WINEPREFIX/drive_c/demo"
mkdir -p "$demo/new" "$demo/app" "$demo/run"
cp "$bin/Pendrix.exe" "$bin/tests/wine/window_driver.exe" "$bin/tests/wine/file_holder.exe" "$demo/run/"
printf 'report library, version 2\n' >"$demo/new/report.dll"
printf 'report library, version 1\n' >"$demo/app/report.dll"
printf '%s\n' "C:\\demo\\app\\report.dll: $(cat "$demo/app/report.dll")"
printf '%s\n' "C:\\demo\\new\\report.dll: $(cat "$demo/new/report.dll")"

step "Another program keeps C:\\demo\\app\\report.dll open; Pendrix starts (in a Wine virtual desktop, which" \
    "draws title bars), driven through its window"
# The driver starts the program that holds the file and Pendrix, both on
# its own desktop (where the restart closes their windows), and plays the
# user, writing what it does to driver.log; at each "SHOT name" this side
# keeps the screen it saved.
wine explorer /desktop=Pendrix,1024x768 'C:\demo\run\window_driver.exe' 'C:\demo\run\Pendrix.exe' \
    'C:\demo\run\file_holder.exe' 'C:\demo\new\report.dll' 'C:\demo\app\report.dll' 'C:\demo\run' \
    >/dev/null 2>&1 &
log="$demo/run/driver.log"
seen=0
waited=0
while :; do
    if [ -f "$log" ]; then
        total=$(wc -l <"$log")
        while [ "$seen" -lt "$total" ]; do
            seen=$((seen + 1))
            line=$(sed -n "${seen}p" "$log" | tr -d '\r')  # Windows ends lines with CR LF
            waited=0
            case $line in
            "SHOT "*)
                name=${line#SHOT }
                # The driver saved the screen as Wine draws it.
                convert "$demo/run/$name.bmp" -trim +repage "$out/$name.png"
                echo "   screenshot: $out/$name.png"
                : >"$demo/run/$name.done"
                ;;
            "FAILED: "*) fail "${line#FAILED: }" ;;
            *) printf '%s\n' "$line" ;;
            esac
            [ "$line" = "The restart has ended Pendrix." ] && break 2
        done
    fi
    waited=$((waited + 1))
    [ $waited -gt 1200 ] && fail "the driver stopped answering"
    sleep 0.2
done

step "Restart: the programs were asked to close and ended, and the start-up processing carries out the list"
timeout 180 wineserver -w || fail "the prefix's session did not end after the restart"
printf '%s\n' "C:\\demo\\app\\report.dll: $(cat "$demo/app/report.dll")"
[ "$(cat "$demo/app/report.dll")" = "report library, version 2" ] || fail "the file was not replaced"
[ "$(cat "$demo/new/report.dll")" = "report library, version 2" ] || fail "the source did not stay where it was"
[ ! -e "$demo/app/report.dll.pendrix-new-1" ] || fail "the staged copy is still there"
! grep -q 'PendingFileRenameOperations' "$WINEPREFIX/system.reg" || fail "the list was not carried out"
printf '%s\n' "C:\\demo\\app\\report.dll.pendrix-new-1: the copy staged when scheduled, moved onto the destination; the source stays"
echo "PendingFileRenameOperations: carried out and removed"
step "Done: the file in use was replaced at the restart. Screenshots in $out"
