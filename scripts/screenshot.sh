#!/bin/sh
# Makes docs/window.png: the window as a user sees it, under Xvfb, with
# Wine's virtual desktop drawing the frame. Run after the windows build.
set -eu
cd "$(dirname "$0")/.."
program="$PWD/build/windows/ietitlebar.exe"
[ -f "$program" ] || { echo "build the windows preset first" >&2; exit 1; }

# A throwaway prefix with its own Xvfb display, as the tests use.
work=$(mktemp -d)
WINEPREFIX="$work/prefix"
export WINEPREFIX WINEDEBUG=-all LC_ALL=C.UTF-8
trap 'cmake/wine-prefix.sh down "$WINEPREFIX" >/dev/null; rm -rf "$work"' EXIT
cmake/wine-prefix.sh up "$WINEPREFIX" >/dev/null
DISPLAY=":$(cat "$WINEPREFIX/display")"
export DISPLAY

cmake/wine-run.sh reg add 'HKCU\Software\Microsoft\Internet Explorer\Main' \
    /v 'Window Title' /d 'My own browser' /f >/dev/null 2>&1
cmake/wine-run.sh explorer /desktop=shot,520x260 "$(winepath -w "$program" 2>/dev/null)" \
    >/dev/null 2>&1 &
shown=""
for _ in $(seq 100); do
    xdotool search --name 'Reset Microsoft Internet Explorer Titlebar' >/dev/null 2>&1 &&
        shown=yes && break
    sleep 0.1
done
[ -n "$shown" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 1
mkdir -p docs
# The virtual desktop sits at the top left of the screen.
import -window root -crop 520x260+0+0 +repage docs/window.png
echo "wrote docs/window.png"
