#!/bin/sh
# Makes docs/icon-sheet.png from the built program's icon: every size of it
# as Windows shows it, one pixel for one, on a light and on a dark
# background; under each, the sizes up to 32 four times larger, pixel for
# pixel, to show how they sit on whole pixels. Run after the windows build;
# needs ImageMagick and icoutils (scripts/install-deps.sh installs both).
# TITLEBAR_PICTURES names another folder to write to; TITLEBAR_PROGRAM
# another build's program.
set -eu
cd "$(dirname "$0")/.."
folder=${TITLEBAR_PICTURES:-docs}
program=${TITLEBAR_PROGRAM:-build/windows/ietitlebar.exe}
[ -f "$program" ] || { echo "build the windows preset first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The program's own icon: its first icon group.
wrestool -x --type=14 --name=1 "$program" >"$work/app.ico"
icotool -x -o "$work" "$work/app.ico"
sizes=$(icotool -l "$work/app.ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n)

# One row: the images side by side, bottom-aligned, 16 pixels apart.
row() {
    background=$1 scale=$2 out=$3
    shift 3
    for size; do
        convert "$work"/app_*_"${size}x${size}x32.png" -background "$background" -flatten \
            -filter point -resize "$scale%" -gravity east -splice 16x0 "$work/cell-$size.png"
    done
    for size; do set -- "$@" "$work/cell-$size.png"; shift; done
    convert -background "$background" "$@" -gravity south +append \
        -bordercolor "$background" -border 16 "$out"
}
for theme in light:#f3f3f3 dark:#202020; do
    name=${theme%%:*} colour=${theme#*:}
    # shellcheck disable=SC2086 # the sizes, one word each
    row "$colour" 100 "$work/$name.png" $sizes
    # shellcheck disable=SC2046 # the sizes, one word each
    row "$colour" 400 "$work/$name-small.png" $(echo "$sizes" | awk '$1 <= 32')
done
# Every row as wide as the widest, in its own background.
width=$(identify -format '%w' "$work/light.png")
for theme in light:#f3f3f3 dark:#202020; do
    name=${theme%%:*} colour=${theme#*:}
    for part in "$name" "$name-small"; do
        convert "$work/$part.png" -background "$colour" -gravity west \
            -extent "${width}x$(identify -format '%h' "$work/$part.png")" "$work/$part.png"
    done
done
mkdir -p "$folder"
convert "$work/light.png" "$work/light-small.png" "$work/dark.png" "$work/dark-small.png" \
    -append -define png:exclude-chunks=date,time "$folder/icon-sheet.png"
echo "wrote $folder/icon-sheet.png"
