# Sourced by the restart tests: fail, and a new Wine prefix at $WINEPREFIX
# (set before sourcing), made from nothing with Wine's fonts and settled.

fail() {
    echo "FAILED: $*"
    wineserver -k 2>/dev/null || true
    exit 1
}

rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineboot -i </dev/null >/dev/null 2>&1
"$(dirname "$0")/../../tools/wine_fonts.sh" "$WINEPREFIX" || fail "Wine's fonts could not be copied"
timeout 120 wineserver -w || fail "the new prefix did not settle"
