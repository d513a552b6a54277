#!/bin/sh
# Makes docs/window.png: the window as a user sees it, under Xvfb, with
# Wine's virtual desktop drawing the frame. Run after the windows build.
set -eu
cd "$(dirname "$0")/.."
program="$PWD/build/windows/ietitlebar.exe"
[ -f "$program" ] || { echo "build the windows preset first" >&2; exit 1; }

work=$(mktemp -d)
trap 'WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
until [ -s "$work/display" ]; do sleep 0.1; done
DISPLAY=":$(cat "$work/display")"
export DISPLAY

cmake/wine-init-prefix.sh
wine reg add 'HKCU\Software\Microsoft\Internet Explorer\Main' /v 'Window Title' \
    /d 'My own browser' /f >/dev/null 2>&1
wine explorer /desktop=shot,520x260 "$(winepath -w "$program")" >/dev/null 2>&1 &
desktop=""
for _ in $(seq 100); do
    desktop=$(xdotool search --name 'shot - Wine desktop' 2>/dev/null | head -n 1) && [ -n "$desktop" ] && break
    sleep 0.1
done
[ -n "$desktop" ] || { echo "the Wine desktop did not appear" >&2; exit 1; }
for _ in $(seq 100); do
    xdotool search --name 'Reset Microsoft Internet Explorer Titlebar' >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 1
mkdir -p docs
# The virtual desktop sits at the top left of the screen.
import -window root -crop 520x260+0+0 +repage docs/window.png
echo "wrote docs/window.png"
