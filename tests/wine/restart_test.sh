#!/bin/sh
# The whole mechanism, for real: in a throw-away Wine prefix, the helper lays
# out at least 100 operations of every kind (replacement of a free, an
# in-use and an absent destination, deletion of a free and an in-use file;
# several scripts, long paths, entries by Wine's own MoveFileExW in between),
# keeps the files in use open, schedules everything in
# PendingFileRenameOperations and restarts Windows as Pendrix does, asking
# the programs to close (no EWX_FORCE). The restart ends the helper and the
# program holding the files, as it ends every program with a window, and
# carries out the list; this side waits for the prefix's session to end and
# then checks every file against the helper's expected.txt.
# Usage: restart_test.sh HELPER.exe PREFIX_DIR
set -eu
helper=$1
export WINEPREFIX="$2" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

. "$(dirname "$0")/throwaway_prefix.sh"

folder="$WINEPREFIX/drive_c/pendrix_restart"
mkdir -p "$folder"

log="$WINEPREFIX/helper.log"
wine "$helper" 'C:\pendrix_restart' </dev/null >"$log.crlf" 2>&1 || true
tr -d '\r' <"$log.crlf" >"$log"   # the console ends lines with CR LF
cat "$log"
grep -q '^FAILED' "$log" && fail "the helper failed"
grep -q '^in use: 200 files$' "$log" || fail "the files were not shown in use"
grep -q '^scheduled: 100 replacements of a free, 100 of an in-use, 100 of an absent destination, 100 deletions of a free and 100 of an in-use file, [0-9]* entries by MoveFileExW$' "$log" \
    || fail "not every operation was scheduled"
grep -q 'closed: yes$' "$log" || fail "the list is not closed"
grep -q '^the restart ended the helper$' "$log" || fail "the restart did not end the helper through its window"

# The restart runs the list at the start of the new session; the prefix has
# come back when its wineserver has ended. No wine command may run before
# the checks: it would start a session that carries out the list itself.
timeout 300 wineserver -w || fail "the prefix did not come back from the restart"

[ -s "$folder/expected.txt" ] || fail "no expected outcome"
tab=$(printf '\t')
checked=0
missed=0
while IFS="$tab" read -r kind path content; do
    file="$folder/$path"
    case $kind in
    file)
        if [ ! -f "$file" ] || [ "$(cat "$file")" != "$content" ]; then
            echo "not carried out: $path should hold \"$content\""
            missed=$((missed + 1))
        fi ;;
    none)
        if [ -e "$file" ]; then
            echo "not carried out: $path should be gone"
            missed=$((missed + 1))
        fi ;;
    esac
    checked=$((checked + 1))
done <"$folder/expected.txt"
[ "$missed" -eq 0 ] || fail "$missed of $checked expected outcomes not met"
! grep -q 'PendingFileRenameOperations' "$WINEPREFIX/system.reg" || fail "the list was not consumed"
echo "all $checked expected outcomes met after the restart; the list was consumed"
