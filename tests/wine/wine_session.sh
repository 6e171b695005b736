#!/bin/sh
# Starts or stops the Wine session that the Windows tests share. One session
# lives for the whole run: a new session would carry out (and delete) any
# pending rename list that a test writes.
# Usage: wine_session.sh start|stop   (WINEPREFIX must be set)
set -eu
: "${WINEPREFIX:?WINEPREFIX must be set}"
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

case "${1:-}" in
start)
    mkdir -p "$WINEPREFIX"
    # A session left over from an interrupted run would keep running for ever.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w 2>/dev/null || true
    wineboot -i </dev/null >/dev/null 2>&1
    "$(dirname "$0")/../../tools/wine_fonts.sh" "$WINEPREFIX"
    # Without a window manager, Wine waits up to two seconds for one each
    # time a managed window is hidden; the tests' windows are unmanaged.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    wineserver -w
    # A persistent server keeps the session alive between test programs.
    wineserver -p </dev/null >/dev/null 2>&1
    ;;
stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w 2>/dev/null || true
    ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
