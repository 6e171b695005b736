#!/bin/sh
# Runs a Windows test program under Wine and prints its output afterwards.
# Wine may start helper processes that outlive the program; they get the log
# file, not CTest's pipe, so CTest does not wait for them.
set -u
log=$(mktemp)
wine "$@" </dev/null >"$log" 2>&1
status=$?
cat "$log"
rm -f "$log"
exit $status
