# Shell functions shared by the scripts that show Pendrix under Wine.
# Source it from the project's folder; it needs WINEPREFIX set.

export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Starts Xvfb on a free display number and exports DISPLAY. XVFB_PID is set.
start_virtual_display() {
    number=90
    while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
    Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$number"
    tries=0
    until xdpyinfo >/dev/null 2>&1 || [ -e "/tmp/.X11-unix/X$number" ]; do
        tries=$((tries + 1))
        [ $tries -gt 100 ] && { echo "Xvfb did not start" >&2; return 1; }
        sleep 0.1
    done
}

stop_virtual_display() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    return 0
}

# Makes the prefix (first time only) for the display now set, with Wine's
# fonts. A prefix
# remembers the display of its session, so the session is ended first.
prepare_prefix() {
    mkdir -p "$WINEPREFIX"
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w 2>/dev/null || true
    wineboot -i >/dev/null 2>&1
    ./tools/wine_fonts.sh "$WINEPREFIX"
    wineserver -w
}

# Waits until the screen's centre area is no longer one flat colour (a
# window has been drawn there), at most 60 s. Region: WxH+X+Y.
wait_for_drawing() {
    region=$1
    tries=0
    while [ $tries -lt 240 ]; do
        deviation=$(xwd -root -silent | convert xwd:- -crop "$region" -format '%[fx:standard_deviation]' info: 2>/dev/null || echo 0)
        [ "$deviation" != "0" ] && [ "$deviation" != "" ] && { sleep 1; return 0; }
        tries=$((tries + 1))
        sleep 0.25
    done
    echo "nothing was drawn in $region" >&2
    return 1
}

# Saves the screen, trimmed to what differs from the desktop's colour.
save_screenshot() {
    xwd -root -silent | convert xwd:- -trim +repage "$1"
}
