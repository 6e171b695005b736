#!/bin/sh
# The console tool end to end, for real: in a throw-away Wine prefix it
# schedules the replacement of a file held open by another process, a
# deletion, the deletion of a read-only file and a pattern's files, and a
# replacement whose staged copy goes before the restart, beside another program's
# rename, and its rename onto a file it may not replace followed by the
# deletion of that rename's source (prune sees the rename fail and the
# deletion take effect), as a script would; saves the listing and verifies it (all still
# pending); replaces a DLL that a running program has loaded by moving it
# aside; applies a plan of five files whose third is held (all scheduled,
# nothing changed now); then Windows restarts (its programs end, and wineboot -r), the
# start-up processing carries out the list, and verify tells what was done
# from the one that failed. On a network drive (N:, made one in
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
win='C:\pendrix_cli_restart'
mkdir -p "$folder"
printf 'the new library' >"$folder/source.txt"
printf 'the old library' >"$folder/destination.txt"
printf 'to be deleted' >"$folder/deleted.txt"
printf 'read-only' >"$folder/read-only.txt"
for name in a.log b.log keep.logx; do printf 'log' >"$folder/$name"; done
printf 'to be renamed' >"$folder/renamed_from.txt"
# Another program's rename onto a file it may not replace (no "!"), then the deletion of its source.
printf 'never moved' >"$folder/c.txt"
printf 'stays as it is' >"$folder/d.txt"
# Files written together may share their last-write time here: the size
# tells the kept file from the lost one.
printf 'gone before the restart' >"$folder/lost.txt"
printf 'stays' >"$folder/kept.txt"
code="$win\\exit_code.txt"
. "$(dirname "$0")/cli_restart_session.sh"

# N: a network drive, as the next session's mount manager reads it.
mkdir -p "$WINEPREFIX/drive_c/pendrix_network"
printf 'on the network' >"$WINEPREFIX/drive_c/pendrix_network/remote.txt"
ln -s ../drive_c/pendrix_network "$WINEPREFIX/dosdevices/n:"
wine reg add 'HKLM\Software\Wine\Drives' /v 'n:' /d network /f </dev/null >/dev/null 2>&1 || fail "N: not made a network drive"
timeout 120 wineserver -w || fail "the prefix did not settle"

# One session until the restart: a new session would carry out the list.
wineserver -p </dev/null >/dev/null 2>&1

# The last output must be exactly these lines.
said() {
    printf '%s\n' "$@" | diff - "$folder/out.txt" || fail "not what was expected"
}

# Another program's entries, already in the list.
printf '%s\0%s\0%s\0%s\0%s\0\0\0' "\\??\\$win\\renamed_from.txt" "\\??\\$win\\renamed_to.txt" \
    "\\??\\$win\\c.txt" "\\??\\$win\\d.txt" "\\??\\$win\\c.txt" | iconv -f UTF-8 -t UTF-16LE |
    wine "$helper" set || fail "the entries could not be stored"
# prune sees the rename fail and the deletion take effect.
run 0 "$cli" prune --dry-run
[ "$(grep -c '^Would withdraw entry' "$folder/out.txt")" = 1 ] &&
    grep -q '^Would withdraw entry PendingFileRenameOperations 2 rename ' "$folder/out.txt" ||
    fail "prune would withdraw other than the rename that fails"
run 3010 --hold "$win\\destination.txt" "$cli" replace "$win\\source.txt" "$win\\destination.txt"
[ "$(cat "$folder/destination.txt")" = "the old library" ] || fail "the destination in use was changed now"
run 3010 "$cli" delete "$win\\deleted.txt" --at-restart
[ -e "$folder/deleted.txt" ] || fail "--at-restart deleted the file now"
wine "$helper" readonly "$win\\read-only.txt" </dev/null >/dev/null 2>&1 || fail "not made read-only"
run 3010 "$cli" delete "$win\\read-only.txt" --at-restart
run 3010 "$cli" delete "$win\\*.log" --at-restart
[ -e "$folder/a.log" ] && [ -e "$folder/b.log" ] || fail "--at-restart deleted a pattern's files now"
run 3010 "$cli" replace "$win\\lost.txt" "$win\\kept.txt" --at-restart
# Nothing on the network is scheduled, and nothing there changes.
run 50 --hold 'N:\remote.txt' "$cli" delete 'N:\remote.txt'
run 50 "$cli" replace "$win\\deleted.txt" 'N:\remote.txt' --at-restart
[ "$(cat "$WINEPREFIX/drive_c/pendrix_network/remote.txt")" = "on the network" ] || fail "the network file changed"

entries="rename \"$win\\renamed_from.txt\" -> \"$win\\renamed_to.txt\"
rename \"$win\\c.txt\" -> \"$win\\d.txt\"
delete \"$win\\c.txt\"
replace \"$win\\destination.txt.pendrix-new-1\" -> \"$win\\destination.txt\"
delete \"$win\\deleted.txt\"
delete \"$win\\read-only.txt\"
delete \"$win\\a.log\"
delete \"$win\\b.log\"
replace \"$win\\kept.txt.pendrix-new-1\" -> \"$win\\kept.txt\""
# Each entry numbered, with the verdict OUTCOME of all but the last and the
# rename that fails, which get LAST and REASON; without an outcome, as list
# shows it (all in the first value: "v1"), with its warning for the rename.
numbered() {
    printf '%s\n' "$entries" | awk -v all="$1" -v last="$2" -v reason="$3" '{
        apart = NR == 2 || NR == 9
        outcome = apart ? last : all
        verdict = outcome == "" ? "v1 " : outcome ": "
        printf "%d %s%s%s\n", NR, verdict, $0, apart && reason != "" ? " (" reason ")" : ""
        if (NR == 2 && all == "") print "  warning: the destination exists and the entry does not replace it: the rename fails at the restart" }'
}
run 0 "$cli" list
said "$(numbered '' '' '')"

# The listing saved before the restart, as a script saves it.
run 0 "$cli" list --json
cp "$folder/out.crlf" "$folder/before.json"
run 3010 "$cli" verify "$win\\before.json"
said "$(numbered 'still pending' 'still pending' '')" \
    "Summary: 0 carried out, 0 not carried out, 9 still pending, 0 never reached."
rm "$folder/kept.txt.pendrix-new-1"  # the copy staged for kept.txt goes before the restart

# A running program has loaded report.dll; --move-aside replaces it now.
cp "$built/test_library_v1.dll" "$folder/report.dll"
cp "$built/test_library_v2.dll" "$folder/new.dll"
wine "$built/file_holder.exe" 'C:\pendrix_cli_restart\report.dll' PendrixRestartLoaded load </dev/null >/dev/null 2>&1 &
tries=0
while run 0 "$cli" holders 'C:\pendrix_cli_restart\report.dll' && ! grep -q "(loaded module)" "$folder/out.txt"; do
    tries=$((tries + 1))
    [ $tries -le 60 ] || fail "no program came to load report.dll"
    sleep 1
done
run 0 "$cli" replace 'C:\pendrix_cli_restart\new.dll' 'C:\pendrix_cli_restart\report.dll' --move-aside
cmp -s "$folder/report.dll" "$built/test_library_v2.dll" || fail "report.dll was not replaced now"
cmp -s "$folder/report.dll.pendrix-old-1" "$built/test_library_v1.dll" || fail "the old copy is not beside it"

# Only the old copy's deletion waits for the restart, after what was there.
run 0 "$cli" list
[ "$(tail -n 1 "$folder/out.txt")" = '10 v1 delete "C:\pendrix_cli_restart\report.dll.pendrix-old-1"' ] ||
    fail "the old copy's deletion is not the one entry added"

# A plan of five files whose third is held open: nothing changes now, and
# all five are scheduled in one write, in the plan's order, after the rest.
mkdir -p "$folder/plan"
for n in 1 2 3 4 5; do printf 'old %s' $n >"$folder/plan/f$n.dll"; done
for n in 1 2 3; do printf 'new %s' $n >"$folder/plan/new$n.dll"; done
p="$win\\plan"
printf '# release 2\r\nreplace %s %s\r\nreplace %s %s\r\nreplace "%s" "%s"\r\ndelete %s\r\ndelete %s\r\n' \
    "$p\\new1.dll" "$p\\f1.dll" "$p\\new2.dll" "$p\\f2.dll" "$p\\new3.dll" "$p\\f3.dll" "$p\\f4.dll" \
    "$p\\f5.dll" >"$folder/plan.txt"
run 3010 --hold "$p\\f3.dll" "$cli" apply "$win\\plan.txt"
[ "$(tail -n 1 "$folder/out.txt")" = "Scheduled the plan: all 5 operations are carried out at the next start of Windows, in its order. Restart Windows to carry it out." ] ||
    fail "the plan was not scheduled as a whole"
for n in 1 2 3 4 5; do [ "$(cat "$folder/plan/f$n.dll")" = "old $n" ] || fail "f$n.dll was changed now"; done
run 0 "$cli" list
printf '%s\n' "11 v1 replace \"$p\\f1.dll.pendrix-new-1\" -> \"$p\\f1.dll\"" \
    "12 v1 replace \"$p\\f2.dll.pendrix-new-1\" -> \"$p\\f2.dll\"" \
    "13 v1 replace \"$p\\f3.dll.pendrix-new-1\" -> \"$p\\f3.dll\"" "14 v1 delete \"$p\\f4.dll\"" \
    "15 v1 delete \"$p\\f5.dll\"" >"$folder/plan-entries.txt"
tail -n 5 "$folder/out.txt" | diff "$folder/plan-entries.txt" - ||
    fail "the plan's operations are not the last five entries, in its order"

restart_prefix

[ "$(cat "$folder/destination.txt")" = "the new library" ] || fail "the destination was not replaced"
[ "$(cat "$folder/source.txt")" = "the new library" ] || fail "the source did not stay where it was"
[ ! -e "$folder/deleted.txt" ] || fail "the deleted file is still there"
[ ! -e "$folder/read-only.txt" ] || fail "the read-only file is still there"
[ ! -e "$folder/a.log" ] && [ ! -e "$folder/b.log" ] || fail "a file of the pattern is still there"
[ -e "$folder/keep.logx" ] || fail "a file the pattern does not name was deleted"
cmp -s "$folder/report.dll" "$built/test_library_v2.dll" || fail "report.dll is not the new version"
[ ! -e "$folder/report.dll.pendrix-old-1" ] || fail "the old copy of report.dll is still there"
[ "$(cat "$folder/renamed_to.txt")" = "to be renamed" ] || fail "the rename was not carried out"
[ "$(cat "$folder/kept.txt")" = "stays" ] || fail "the replacement without its source changed the destination"
[ "$(cat "$folder/d.txt")" = "stays as it is" ] || fail "the rename without ! overwrote its destination"
[ ! -e "$folder/c.txt" ] || fail "the deletion after the rename that failed did not run"
for n in 1 2 3; do
    [ "$(cat "$folder/plan/f$n.dll")" = "new $n" ] || fail "the plan's f$n.dll was not replaced at the restart"
    [ "$(cat "$folder/plan/new$n.dll")" = "new $n" ] || fail "the plan's source new$n.dll did not stay where it was"
    [ ! -e "$folder/plan/f$n.dll.pendrix-new-1" ] || fail "the plan's staged copy of f$n.dll is still there"
done
[ ! -e "$folder/plan/f4.dll" ] && [ ! -e "$folder/plan/f5.dll" ] || fail "a file the plan deletes is still there"
! grep -q 'PendingFileRenameOperations' "$WINEPREFIX/system.reg" || fail "the list was not consumed"

run 1 "$cli" verify "$win\\before.json"
other="the destination is not the source's file: its size or last-write time differs from the source's when listed"
said "$(numbered 'carried out' 'not carried out' "$other")" \
    "Summary: 7 carried out, 2 not carried out, 0 still pending, 0 never reached."
run 1 "$cli" verify "$win\\before.json" --json
python3 -c 'import json, sys; r = json.load(open(sys.argv[1]))
apart = ["carried-out"] + ["not-carried-out"] + ["carried-out"] * 6 + ["not-carried-out"]
assert (r["carriedOut"], [e["outcome"] for e in r["entries"]]) == (7, apart)' \
    "$folder/out.txt" || fail "verify --json does not say the same"
wineserver -k </dev/null >/dev/null 2>&1 || true
echo "replaced, renamed, deleted (read-only and a pattern's files too, a DLL's old copy moved aside, and a plan" \
    "of five scheduled as one) and consumed by the restart; verify told the one that failed; nothing on the network scheduled"
