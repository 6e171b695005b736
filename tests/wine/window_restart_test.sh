#!/bin/sh
# The demo as a test: schedule through the window, answer the restart's
# question, check the files after the restart.
#
# Under load, Wine's wineboot sometimes shows its "Waiting for Program"
# dialog for Pendrix and then waits for a user instead of ending it (Wine does
# not implement EWX_FORCEIFHUNG; the cause is not yet known, see README). Only
# that failure, recognised by the dialog in the driver's list of windows, is
# run once more, and said; every other failure fails at once.
set -u
demo="$1"
built="$2"
log="$built.first-run.log"
mkdir -p "$(dirname "$built")"
"$demo" --built "$built" >"$log" 2>&1
code=$?
cat "$log"
[ $code -eq 0 ] && exit 0
if grep -q "class #32770: Waiting for Program" "$log"; then
    echo "== Wine's end-task dialog stopped the restart: the demo runs once more"
    exec "$demo" --built "$built"
fi
exit $code
