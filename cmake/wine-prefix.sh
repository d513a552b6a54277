#!/bin/sh
# Creates (up) or removes (down) a throwaway Wine prefix, with one wineserver
# kept alive in between so that each test process skips Wine's start-up, and
# an Xvfb display of its own so that windows never reach the user's screen.
set -eu
action=$1
WINEPREFIX=$2
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

stop_server() {
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
    if [ -f "$WINEPREFIX/xvfb.pid" ]; then
        kill "$(cat "$WINEPREFIX/xvfb.pid")" 2>/dev/null || true
    fi
}

start_display() {
    # Xvfb picks a free display and writes its number to the file.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        3>"$WINEPREFIX/display" >"$WINEPREFIX/xvfb.log" 2>&1 &
    echo $! >"$WINEPREFIX/xvfb.pid"
    tries=0
    until [ -s "$WINEPREFIX/display" ]; do
        tries=$((tries + 1))
        [ "$tries" -le 100 ] || { echo "Xvfb did not start" >&2; exit 1; }
        sleep 0.1
    done
    DISPLAY=":$(cat "$WINEPREFIX/display")"
    export DISPLAY
}

# What went wrong, when setting the prefix up fails: its logs.
show_logs() {
    status=$?
    [ "$status" -eq 0 ] && return
    for log in "$WINEPREFIX"/*.log; do
        [ -s "$log" ] && { echo "--- $log"; tail -n 20 "$log"; }
    done
    exit "$status"
}

case $action in
up)
    trap show_logs EXIT
    stop_server
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    start_display
    # The server holds its output open for ever: give it a file, not a pipe.
    wineserver -p >"$WINEPREFIX/wineserver.log" 2>&1
    "$(dirname "$0")/wine-init-prefix.sh"
    # Without a window manager, hiding a managed window waits two seconds
    # for the manager to withdraw it; unmanaged windows skip the wait.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    echo "wine prefix ready: $WINEPREFIX"
    ;;
down)
    stop_server
    rm -rf "$WINEPREFIX"
    echo "wine prefix removed: $WINEPREFIX"
    ;;
*)
    echo "usage: $0 up|down PREFIX" >&2
    exit 2
    ;;
esac
