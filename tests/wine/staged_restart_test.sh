#!/bin/sh
# A replacement for the next start installs the copy made when it was
# scheduled, for real: in a throw-away Wine prefix the console tool
# schedules replacements, the user's source is changed afterwards, and a
# source on another volume (drive D:, a folder on another Linux file system
# linked in dosdevices) is scheduled too; one more is withdrawn, and its
# staged copy goes with it. Then the prefix restarts and the start-up
# processing carries out the list: each destination holds the content as
# it was when scheduled, every source is still where it was, and no staged
# copy is left.
# Usage: staged_restart_test.sh CLI_TEST_HELPER.exe PENDRIX_CLI.exe PREFIX_DIR
set -eu
helper=$1
cli="Z:$(echo "$2" | tr / '\\')"
export WINEPREFIX="$3" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

. "$(dirname "$0")/throwaway_prefix.sh"

folder="$WINEPREFIX/drive_c/pendrix_staged"
win='C:\pendrix_staged'
mkdir -p "$folder"
printf 'as scheduled' >"$folder/Source.txt"
printf 'the old content' >"$folder/destination.txt"
printf 'the old library' >"$folder/library.dll"
printf 'the old tool' >"$folder/withdrawn.exe"
code="$win\\exit_code.txt"
. "$(dirname "$0")/cli_restart_session.sh"

# D: another volume: a folder on another Linux file system.
other=$(mktemp -d /dev/shm/pendrix_staged.XXXXXX)
trap 'rm -rf "$other"' EXIT
printf 'from another volume' >"$other/library.dll"
ln -s "$other" "$WINEPREFIX/dosdevices/d:"
[ "$(stat -f -c %T "$other")" != "$(stat -f -c %T "$folder")" ] || [ "$(stat -c %d "$other")" != "$(stat -c %d "$folder")" ] ||
    fail "D: is not on another file system"

# One session until the restart: a new session would carry out the list.
wineserver -p </dev/null >/dev/null 2>&1

# Typed in another case: the list gets the names as they are.
run 3010 "$cli" replace 'c:\PENDRIX_STAGED\source.TXT' 'C:\Pendrix_Staged\DESTINATION.txt' --at-restart
grep -q 'Windows puts the copy made now, "C:\\pendrix_staged\\destination.txt.pendrix-new-1", in its place' \
    "$folder/out.txt" || fail "the copy staged is not named"
[ "$(cat "$folder/destination.txt.pendrix-new-1")" = "as scheduled" ] || fail "no staged copy beside the destination"
# The same again: pending already, nothing added.
run 3010 "$cli" replace "$win\\Source.txt" "$win\\destination.txt" --at-restart
grep -q '^Already scheduled' "$folder/out.txt" || fail "the same replacement was added again"
[ ! -e "$folder/destination.txt.pendrix-new-2" ] || fail "a second copy was staged"
# Whoever can write the source changes it after the scheduling.
printf 'changed afterwards' >"$folder/Source.txt"

run 3010 "$cli" replace 'D:\library.dll' "$win\\library.dll" --at-restart
run 3010 "$cli" replace "$win\\Source.txt" "$win\\withdrawn.exe" --at-restart
[ -e "$folder/withdrawn.exe.pendrix-new-1" ] || fail "no staged copy for withdrawn.exe"

# A source on another volume that cannot be read now: the start-up
# processing only renames, never across volumes, so nothing is scheduled.
printf 'locked away' >"$other/locked.dll"
run 17 --exclusive 'D:\locked.dll' "$cli" replace 'D:\locked.dll' "$win\\library.dll" --at-restart
grep -q 'Windows cannot move it to another volume at the next start' "$folder/out.txt" ||
    fail "a locked source on another volume was not refused as such"

# Links as Wine has them (made on the Linux side, followed silently): the
# link is not deleted now (Wine would reach its target) and nothing through
# it waits for the restart; its target is never touched.
mkdir -p "$folder/data"
printf 'precious' >"$folder/data/precious.db"
ln -s "$folder/data/precious.db" "$folder/db.lnk"
run 1921 "$cli" delete "$win\\db.lnk"
grep -qF "is a link to \"$win\\data\\precious.db\"" "$folder/out.txt" ||
    fail "the refusal does not say where the link leads"
run 1921 "$cli" delete "$win\\db.lnk" --at-restart
run 1921 "$cli" replace "$win\\Source.txt" "$win\\db.lnk" --at-restart
[ -L "$folder/db.lnk" ] && [ "$(cat "$folder/data/precious.db")" = "precious" ] || fail "the link or its target changed"

run 0 "$cli" list
printf '%s\n' \
    "1 v1 replace \"$win\\destination.txt.pendrix-new-1\" -> \"$win\\destination.txt\"" \
    "2 v1 replace \"$win\\library.dll.pendrix-new-1\" -> \"$win\\library.dll\"" \
    "3 v1 replace \"$win\\withdrawn.exe.pendrix-new-1\" -> \"$win\\withdrawn.exe\"" | diff - "$folder/out.txt" ||
    fail "the list does not name the staged copies"
run 0 "$cli" remove 3 --source "$win\\withdrawn.exe.pendrix-new-1"
[ ! -e "$folder/withdrawn.exe.pendrix-new-1" ] || fail "the withdrawn entry's staged copy is still there"

restart_prefix

[ "$(cat "$folder/destination.txt")" = "as scheduled" ] || fail "the destination does not hold the content scheduled"
[ "$(cat "$folder/Source.txt")" = "changed afterwards" ] || fail "the source did not stay where it was"
[ "$(cat "$folder/library.dll")" = "from another volume" ] || fail "the source on another volume was not installed"
[ "$(cat "$other/library.dll")" = "from another volume" ] || fail "the source on another volume did not stay"
[ "$(cat "$folder/withdrawn.exe")" = "the old tool" ] || fail "the withdrawn replacement was carried out"
[ "$(cat "$folder/data/precious.db")" = "precious" ] || fail "a link's target was touched by the restart"
[ "$(cat "$other/locked.dll")" = "locked away" ] || fail "the refused source on another volume moved"
! ls "$folder" | grep -q 'pendrix-new' || fail "a staged copy is left: $(ls "$folder")"
! grep -q 'PendingFileRenameOperations' "$WINEPREFIX/system.reg" || fail "the list was not consumed"
wineserver -k </dev/null >/dev/null 2>&1 || true
echo "installed the copies made when scheduled (one from another volume) at the restart; the sources stayed;" \
    "the withdrawn entry's copy went with it; a locked source on another volume and a link were refused"
