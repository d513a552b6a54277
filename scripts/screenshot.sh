#!/bin/sh
# Makes docs/window.png, or with a DPI other than 96 docs/window-DPIdpi.png,
# or with a language (a locale such as de_DE or ja_JP, which Wine takes the
# display language from) docs/window-LANGUAGE.png: the window of the built
# program as a user sees it at that scaling, under Xvfb, with Wine's
# virtual desktop drawing the frame. Run after the windows build; Japanese
# and Chinese need a font with their glyphs (fonts-wqy-microhei), Arabic
# and Hebrew one with theirs (fonts-dejavu-core), Thai one with its own
# (fonts-tlwg-loma-ttf). TITLEBAR_PICTURES names
# another folder to write to; TITLEBAR_PROGRAM another build's program.
#
#   scripts/screenshot.sh [DPI [LANGUAGE]]
set -eu
cd "$(dirname "$0")/.."
dpi=${1:-96}
language=${2:-}
folder=${TITLEBAR_PICTURES:-docs}
case $dpi in
96) picture=$folder/window.png ;;
*) picture=$folder/window-${dpi}dpi.png ;;
esac
[ -z "$language" ] || picture=$folder/window-${language%%_*}.png
width=$((520 * dpi / 96)) height=$((260 * dpi / 96))
program=${TITLEBAR_PROGRAM:-$PWD/build/windows/ietitlebar.exe}
[ -f "$program" ] || { echo "build the windows preset first" >&2; exit 1; }

# A throwaway prefix with its own Xvfb display, as the tests use.
work=$(mktemp -d)
WINEPREFIX="$work/prefix"
export WINEPREFIX WINEDEBUG=-all LC_ALL=C.UTF-8
[ -z "$language" ] || LC_ALL=$language.UTF-8
trap 'cmake/wine-prefix.sh down "$WINEPREFIX" >/dev/null; rm -rf "$work"' EXIT
cmake/wine-prefix.sh up "$WINEPREFIX" >/dev/null
DISPLAY=":$(cat "$WINEPREFIX/display")"
export DISPLAY

cmake/wine-run.sh reg add 'HKCU\Software\Microsoft\Internet Explorer\Main' \
    /v 'Window Title' /d 'My own browser' /f >/dev/null 2>&1
# The caret shows without blinking, so that every picture catches it alike.
cmake/wine-run.sh reg add 'HKCU\Control Panel\Desktop' /v CursorBlinkRate /d -1 /f \
    >/dev/null 2>&1
# Wine takes the screen's DPI from this value when a program starts.
cmake/wine-run.sh reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    >/dev/null 2>&1
cmake/wine-run.sh explorer "/desktop=shot,${width}x$height" "$(winepath -w "$program" 2>/dev/null)" \
    >/dev/null 2>&1 &
shown=""
for _ in $(seq 100); do
    xdotool search --class 'ietitlebar.exe' >/dev/null 2>&1 &&
        shown=yes && break
    sleep 0.1
done
[ -n "$shown" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 1
mkdir -p "$folder"
# The virtual desktop sits at the top left of the screen.
import -window root -crop "${width}x$height+0+0" +repage -define png:exclude-chunks=date,time \
    "$picture"
echo "wrote $picture"
