#!/bin/sh
# The console tool end to end, for real: in a throw-away Wine prefix it
# schedules the replacement of a file held open by another process and a
# deletion, as a script would; then Windows restarts (wineboot -r) and the
# start-up processing carries out the list.
# Usage: cli_restart_test.sh CLI_TEST_HELPER.exe PENDRIX_CLI.exe PREFIX_DIR
set -eu
helper=$1
cli="Z:$(echo "$2" | tr / '\\')"
export WINEPREFIX="$3" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

. "$(dirname "$0")/throwaway_prefix.sh"

folder="$WINEPREFIX/drive_c/pendrix_cli_restart"
mkdir -p "$folder"
printf 'the new library' >"$folder/source.txt"
printf 'the old library' >"$folder/destination.txt"
printf 'to be deleted' >"$folder/deleted.txt"
code='C:\pendrix_cli_restart\exit_code.txt'

# One session for both commands: a new session would carry out the list.
wineserver -p </dev/null >/dev/null 2>&1

# Runs the tool through the helper (which records the whole exit code) and
# checks that code.
run() {
    expected=$1
    shift
    wine "$helper" run "$code" "$@" </dev/null >"$folder/out.crlf" 2>&1 || fail "the helper could not run: $*"
    tr -d '\r' <"$folder/out.crlf" >"$folder/out.txt"
    cat "$folder/out.txt"
    [ "$(cat "$folder/exit_code.txt")" = "$expected" ] || fail "exit code $(cat "$folder/exit_code.txt"), not $expected: $*"
}

run 3010 --hold 'C:\pendrix_cli_restart\destination.txt' \
    "$cli" replace 'C:\pendrix_cli_restart\source.txt' 'C:\pendrix_cli_restart\destination.txt'
[ "$(cat "$folder/destination.txt")" = "the old library" ] || fail "the destination in use was changed now"
run 3010 "$cli" delete 'C:\pendrix_cli_restart\deleted.txt' --at-restart
[ -e "$folder/deleted.txt" ] || fail "--at-restart deleted the file now"
run 0 "$cli" list
grep -qxF '1 replace "C:\pendrix_cli_restart\source.txt" -> "C:\pendrix_cli_restart\destination.txt"' \
    "$folder/out.txt" || fail "the replacement is not listed first"
grep -qxF '2 delete "C:\pendrix_cli_restart\deleted.txt"' "$folder/out.txt" || fail "the deletion is not listed"
! grep -q warning "$folder/out.txt" || fail "a scheduled entry carries a warning"

wineboot -r </dev/null >/dev/null 2>&1 || fail "the restart failed"
wineserver -k </dev/null >/dev/null 2>&1 || true
timeout 180 wineserver -w || fail "the prefix did not end"

[ "$(cat "$folder/destination.txt")" = "the new library" ] || fail "the destination was not replaced"
[ ! -e "$folder/source.txt" ] || fail "the source is still there"
[ ! -e "$folder/deleted.txt" ] || fail "the deleted file is still there"
! grep -q 'PendingFileRenameOperations' "$WINEPREFIX/system.reg" || fail "the list was not consumed"
echo "replaced, deleted and consumed by the restart"
