#!/bin/sh
# Creates and sets up the Wine prefix that WINEPREFIX names.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the prefix to create}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

mkdir -p "$WINEPREFIX"
# A first boot that fails is tried once more; the log keeps both.
wineboot -i >"$WINEPREFIX/wineboot.log" 2>&1 ||
    wineboot -i >>"$WINEPREFIX/wineboot.log" 2>&1
# Debian's Wine does not load its own fonts (Tahoma, and Marlett for the
# caption buttons) unless they sit in the prefix's font folder.
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# A crash ends the process instead of waiting on a dialog.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1
