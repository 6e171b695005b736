#!/bin/sh
# The whole mechanism, for real: in a throw-away Wine prefix, the helper
# keeps a destination in use, schedules its replacement and a deletion in
# PendingFileRenameOperations and restarts Windows. The restart ends every
# process of the prefix, so this side waits for the prefix to come back and
# then checks that the start-up processing carried out the list.
# Usage: restart_test.sh HELPER.exe PREFIX_DIR
set -eu
helper=$1
export WINEPREFIX="$2" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

fail() {
    echo "FAILED: $*"
    exit 1
}

rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineboot -i </dev/null >/dev/null 2>&1
timeout 120 wineserver -w || fail "the new prefix did not settle"

folder="$WINEPREFIX/drive_c/pendrix_restart"
mkdir -p "$folder"
printf 'the new library\n' >"$folder/source.txt"
printf 'the old library\n' >"$folder/destination.txt"
printf 'to be deleted\n' >"$folder/deleted.txt"

log="$WINEPREFIX/helper.log"
wine "$helper" 'C:\pendrix_restart\source.txt' 'C:\pendrix_restart\destination.txt' \
    'C:\pendrix_restart\deleted.txt' </dev/null >"$log.crlf" 2>&1 || true
tr -d '\r' <"$log.crlf" >"$log"   # the console ends lines with CR LF
cat "$log"
grep -q '^destination in use$' "$log" || fail "the destination was not shown in use"
grep -qF 'scheduled: \??\C:\pendrix_restart\source.txt|!\??\C:\pendrix_restart\destination.txt|\??\C:\pendrix_restart\deleted.txt|' "$log" \
    || fail "the list was not stored as expected"
grep -q '^FAILED' "$log" && fail "the helper failed"

# The restart runs the list at the start of the new session; the prefix has
# come back when its wineserver has ended. No wine command may run before
# the checks: it would start a session that carries out the list itself.
timeout 180 wineserver -w || fail "the prefix did not come back from the restart"

[ "$(cat "$folder/destination.txt")" = "the new library" ] || fail "the destination was not replaced"
[ ! -e "$folder/source.txt" ] || fail "the source is still there"
[ ! -e "$folder/deleted.txt" ] || fail "the deleted file is still there"
! grep -q 'PendingFileRenameOperations' "$WINEPREFIX/system.reg" || fail "the list was not consumed"
echo "replaced, deleted and consumed by the restart"
