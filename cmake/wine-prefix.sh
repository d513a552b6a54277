#!/bin/sh
# Creates (up) or removes (down) a throwaway Wine prefix, with one wineserver
# kept alive in between so that each test process skips Wine's start-up.
set -eu
action=$1
WINEPREFIX=$2
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

stop_server() {
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
}

case $action in
up)
    stop_server
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # The server holds its output open for ever: give it a file, not a pipe.
    wineserver -p >"$WINEPREFIX/wineserver.log" 2>&1
    wineboot -i >"$WINEPREFIX/wineboot.log" 2>&1
    # A crash ends the process instead of waiting on a dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1
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
