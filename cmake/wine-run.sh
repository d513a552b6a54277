#!/bin/sh
# Runs a Windows program under Wine in the prefix that WINEPREFIX names. It
# refuses to run without one, so tests never fall back to the user's prefix.
: "${WINEPREFIX:?WINEPREFIX must name a throwaway test prefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The prefix's own Xvfb display, when the prefix has one.
if [ -s "$WINEPREFIX/display" ]; then
    DISPLAY=":$(cat "$WINEPREFIX/display")"
    export DISPLAY
fi
exec wine "$@"
