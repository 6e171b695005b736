# Sourced by the console tool's restart tests, after throwaway_prefix.sh:
# the tool run through the helper with its exit code checked, and the
# prefix's restart. Set before sourcing: helper (cli_test_helper.exe),
# folder (the test's folder in the prefix) and code (the exit code's file
# there, as Windows names it).

# Runs the tool through the helper (which records the whole exit code) and
# checks that code; the output, without CRs, is in $folder/out.txt. The
# helper fails by itself (not by the tool's exit code) only when Wine did
# not start it or the holder it starts; that is tried once more.
run() {
    expected=$1
    shift
    if ! wine "$helper" run "$code" "$@" </dev/null >"$folder/out.crlf" 2>&1; then
        echo "the helper could not run (its holder did not start?); once more: $*"
        wine "$helper" run "$code" "$@" </dev/null >"$folder/out.crlf" 2>&1 || fail "the helper could not run: $*"
    fi
    tr -d '\r' <"$folder/out.crlf" >"$folder/out.txt"
    cat "$folder/out.txt"
    got=$(head -n 1 "$folder/exit_code.txt")  # the exit code; the holders' process ids follow
    [ "$got" = "$expected" ] || fail "exit code $got, not $expected: $*"
}

# The restart: every program of the prefix ends, then Windows starts again
# and its start-up processing carries out the list.
restart_prefix() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    timeout 180 wineserver -w || fail "the programs did not end"
    wineboot -r </dev/null >/dev/null 2>&1 || fail "the restart failed"
    wineserver -k </dev/null >/dev/null 2>&1 || true
    timeout 180 wineserver -w || fail "the prefix did not end"
}
