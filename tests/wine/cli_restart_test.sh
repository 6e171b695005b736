#!/bin/sh
# The console tool end to end, for real: in a throw-away Wine prefix it
# schedules the replacement of a file held open by another process, a
# deletion, the deletion of a read-only file and a pattern's files, as a
# script would, and replaces a DLL that a running program has loaded by
# moving it aside; then Windows restarts (its programs end, and wineboot -r)
# and the start-up processing carries out the list. On a network drive (N:, made one in
# HKLM\Software\Wine\Drives) nothing is scheduled: the start-up processing
# runs before the network is there.
# Usage: cli_restart_test.sh CLI_TEST_HELPER.exe PENDRIX_CLI.exe PREFIX_DIR
set -eu
helper=$1
cli="Z:$(echo "$2" | tr / '\\')"
built=$(dirname "$1")  # file_holder.exe and the test library beside the helper
export WINEPREFIX="$3" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

. "$(dirname "$0")/throwaway_prefix.sh"

folder="$WINEPREFIX/drive_c/pendrix_cli_restart"
mkdir -p "$folder"
printf 'the new library' >"$folder/source.txt"
printf 'the old library' >"$folder/destination.txt"
printf 'to be deleted' >"$folder/deleted.txt"
printf 'read-only' >"$folder/read-only.txt"
for name in a.log b.log keep.logx; do printf 'log' >"$folder/$name"; done
code='C:\pendrix_cli_restart\exit_code.txt'

# N: a network drive, as the next session's mount manager reads it.
mkdir -p "$WINEPREFIX/drive_c/pendrix_network"
printf 'on the network' >"$WINEPREFIX/drive_c/pendrix_network/remote.txt"
ln -s ../drive_c/pendrix_network "$WINEPREFIX/dosdevices/n:"
wine reg add 'HKLM\Software\Wine\Drives' /v 'n:' /d network /f </dev/null >/dev/null 2>&1 || fail "N: not made a network drive"
timeout 120 wineserver -w || fail "the prefix did not settle"

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
    got=$(head -n 1 "$folder/exit_code.txt")  # the exit code; the holders' process ids follow
    [ "$got" = "$expected" ] || fail "exit code $got, not $expected: $*"
}

run 3010 --hold 'C:\pendrix_cli_restart\destination.txt' \
    "$cli" replace 'C:\pendrix_cli_restart\source.txt' 'C:\pendrix_cli_restart\destination.txt'
[ "$(cat "$folder/destination.txt")" = "the old library" ] || fail "the destination in use was changed now"
run 3010 "$cli" delete 'C:\pendrix_cli_restart\deleted.txt' --at-restart
[ -e "$folder/deleted.txt" ] || fail "--at-restart deleted the file now"
wine "$helper" readonly 'C:\pendrix_cli_restart\read-only.txt' </dev/null >/dev/null 2>&1 || fail "not made read-only"
run 3010 "$cli" delete 'C:\pendrix_cli_restart\read-only.txt' --at-restart
run 3010 "$cli" delete 'C:\pendrix_cli_restart\*.log' --at-restart
[ -e "$folder/a.log" ] && [ -e "$folder/b.log" ] || fail "--at-restart deleted a pattern's files now"
# Nothing on the network is scheduled, and nothing there changes.
run 50 --hold 'N:\remote.txt' "$cli" delete 'N:\remote.txt'
run 50 "$cli" replace 'C:\pendrix_cli_restart\deleted.txt' 'N:\remote.txt' --at-restart
[ "$(cat "$WINEPREFIX/drive_c/pendrix_network/remote.txt")" = "on the network" ] || fail "the network file changed"

# A running program has loaded report.dll; --move-aside replaces it now.
cp "$built/test_library_v1.dll" "$folder/report.dll"
cp "$built/test_library_v2.dll" "$folder/new.dll"
wine "$built/file_holder.exe" 'C:\pendrix_cli_restart\report.dll' PendrixRestartLoaded load </dev/null >/dev/null 2>&1 &
tries=0
until grep -q "(loaded module)" "$folder/out.txt"; do
    tries=$((tries + 1))
    [ $tries -le 60 ] || fail "no program came to load report.dll"
    sleep 1
    run 0 "$cli" holders 'C:\pendrix_cli_restart\report.dll'
done
run 0 "$cli" replace 'C:\pendrix_cli_restart\new.dll' 'C:\pendrix_cli_restart\report.dll' --move-aside
cmp -s "$folder/report.dll" "$built/test_library_v2.dll" || fail "report.dll was not replaced now"
cmp -s "$folder/report.dll.pendrix-old-1" "$built/test_library_v1.dll" || fail "the old copy is not beside it"

run 0 "$cli" list
cat >"$folder/expected.txt" <<'EOF'
1 replace "C:\pendrix_cli_restart\source.txt" -> "C:\pendrix_cli_restart\destination.txt"
2 delete "C:\pendrix_cli_restart\deleted.txt"
3 delete "C:\pendrix_cli_restart\read-only.txt"
4 delete "C:\pendrix_cli_restart\a.log"
5 delete "C:\pendrix_cli_restart\b.log"
6 delete "C:\pendrix_cli_restart\report.dll.pendrix-old-1"
EOF
diff "$folder/expected.txt" "$folder/out.txt" || fail "the list is not what was scheduled, in order"

# The restart: every program of the prefix ends, then Windows starts again.
wineserver -k </dev/null >/dev/null 2>&1 || true
timeout 180 wineserver -w || fail "the programs did not end"
wineboot -r </dev/null >/dev/null 2>&1 || fail "the restart failed"
wineserver -k </dev/null >/dev/null 2>&1 || true
timeout 180 wineserver -w || fail "the prefix did not end"

[ "$(cat "$folder/destination.txt")" = "the new library" ] || fail "the destination was not replaced"
[ ! -e "$folder/source.txt" ] || fail "the source is still there"
[ ! -e "$folder/deleted.txt" ] || fail "the deleted file is still there"
[ ! -e "$folder/read-only.txt" ] || fail "the read-only file is still there"
[ ! -e "$folder/a.log" ] && [ ! -e "$folder/b.log" ] || fail "a file of the pattern is still there"
[ -e "$folder/keep.logx" ] || fail "a file the pattern does not name was deleted"
cmp -s "$folder/report.dll" "$built/test_library_v2.dll" || fail "report.dll is not the new version"
[ ! -e "$folder/report.dll.pendrix-old-1" ] || fail "the old copy of report.dll is still there"
! grep -q 'PendingFileRenameOperations' "$WINEPREFIX/system.reg" || fail "the list was not consumed"
echo "replaced, deleted (read-only and a pattern's files too, and a DLL's old copy moved aside) and consumed by" \
    "the restart; nothing on the network scheduled"
