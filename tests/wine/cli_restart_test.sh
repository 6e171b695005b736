#!/bin/sh
# The console tool end to end, for real: in a throw-away Wine prefix, as a
# script would, it schedules the replacement of a file held open by another
# process, a deletion and a replacement whose source goes before the
# restart, beside another program's rename; saves the listing and verifies
# it (all still pending); then Windows restarts (wineboot -r), the start-up
# processing carries out the list, and verify tells the three done from the
# one that failed.
# Usage: cli_restart_test.sh CLI_TEST_HELPER.exe PENDRIX_CLI.exe PREFIX_DIR
set -eu
helper=$1
cli="Z:$(echo "$2" | tr / '\\')"
export WINEPREFIX="$3" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

. "$(dirname "$0")/throwaway_prefix.sh"

folder="$WINEPREFIX/drive_c/pendrix_cli_restart"
win='C:\pendrix_cli_restart'
mkdir -p "$folder"
printf 'the new library' >"$folder/source.txt"
printf 'the old library' >"$folder/destination.txt"
printf 'to be deleted' >"$folder/deleted.txt"
printf 'to be renamed' >"$folder/renamed_from.txt"
# Files written together may share their last-write time here: the size
# tells the kept file from the lost one.
printf 'gone before the restart' >"$folder/lost.txt"
printf 'stays' >"$folder/kept.txt"
code="$win\\exit_code.txt"

# One session until the restart: a new session would carry out the list.
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

# Each line must be in the last output, whole.
said() {
    for line in "$@"; do
        grep -qxF "$line" "$folder/out.txt" || fail "not said: $line"
    done
}

# Another program's rename, already in the list.
printf '%s\0%s\0\0' "\\??\\$win\\renamed_from.txt" "\\??\\$win\\renamed_to.txt" | iconv -f UTF-8 -t UTF-16LE |
    wine "$helper" set || fail "the rename could not be stored"
run 3010 --hold "$win\\destination.txt" "$cli" replace "$win\\source.txt" "$win\\destination.txt"
[ "$(cat "$folder/destination.txt")" = "the old library" ] || fail "the destination in use was changed now"
run 3010 "$cli" delete "$win\\deleted.txt" --at-restart
[ -e "$folder/deleted.txt" ] || fail "--at-restart deleted the file now"
run 3010 "$cli" replace "$win\\lost.txt" "$win\\kept.txt" --at-restart
run 0 "$cli" list
rename="rename \"$win\\renamed_from.txt\" -> \"$win\\renamed_to.txt\""
replace="replace \"$win\\source.txt\" -> \"$win\\destination.txt\""
delete="delete \"$win\\deleted.txt\""
lost="replace \"$win\\lost.txt\" -> \"$win\\kept.txt\""
said "1 $rename" "2 $replace" "3 $delete" "4 $lost"
! grep -q warning "$folder/out.txt" || fail "a scheduled entry carries a warning"

# The listing saved before the restart, as a script saves it.
run 0 "$cli" list --json
cp "$folder/out.crlf" "$folder/before.json"
run 3010 "$cli" verify "$win\\before.json"
said "Summary: 0 carried out, 0 not carried out, 4 still pending, 0 never reached."
rm "$folder/lost.txt"

wineboot -r </dev/null >/dev/null 2>&1 || fail "the restart failed"
wineserver -k </dev/null >/dev/null 2>&1 || true
timeout 180 wineserver -w || fail "the prefix did not end"

[ "$(cat "$folder/destination.txt")" = "the new library" ] || fail "the destination was not replaced"
[ ! -e "$folder/source.txt" ] || fail "the source is still there"
[ ! -e "$folder/deleted.txt" ] || fail "the deleted file is still there"
[ "$(cat "$folder/renamed_to.txt")" = "to be renamed" ] || fail "the rename was not carried out"
[ "$(cat "$folder/kept.txt")" = "stays" ] || fail "the replacement without its source changed the destination"
! grep -q 'PendingFileRenameOperations' "$WINEPREFIX/system.reg" || fail "the list was not consumed"

run 1 "$cli" verify "$win\\before.json"
said "1 carried out: $rename" "2 carried out: $replace" "3 carried out: $delete" \
    "4 not carried out: $lost (the destination is not the source's file: its size or last-write time differs from the source's when listed)" \
    "Summary: 3 carried out, 1 not carried out, 0 still pending, 0 never reached."
run 1 "$cli" verify "$win\\before.json" --json
python3 -c 'import json, sys; r = json.load(open(sys.argv[1]))
assert (r["carriedOut"], [e["outcome"] for e in r["entries"]]) == (3, ["carried-out"] * 3 + ["not-carried-out"])' \
    "$folder/out.txt" || fail "verify --json does not say the same"
wineserver -k </dev/null >/dev/null 2>&1 || true
echo "replaced, deleted, renamed and consumed by the restart; verify told the one that failed"
