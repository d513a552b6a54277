#!/bin/sh
# Makes every picture in docs/ from the built program: the window at 96,
# 144 and 240 DPI, in German, Japanese, Arabic, Thai and Ukrainian, and
# the icon sheet.
# With --check, makes them in a scratch folder instead and compares each
# with the committed one, pixel for pixel: it prints "same" or "DIFFERENT"
# for each and exits 1 when any differs. Run after the windows build;
# TITLEBAR_PROGRAM names another build's program.
#
#   scripts/pictures.sh [--check]
set -eu
cd "$(dirname "$0")/.."
TITLEBAR_PICTURES=docs
if [ "${1:-}" = --check ]; then
    TITLEBAR_PICTURES=$(mktemp -d)
    trap 'rm -rf "$TITLEBAR_PICTURES"' EXIT
fi
export TITLEBAR_PICTURES
for shot in 96 144 240 "96 de_DE" "96 ja_JP" "96 ar_SA" "96 th_TH" "96 uk_UA"; do
    # shellcheck disable=SC2086 # the DPI and the language, a word each
    scripts/screenshot.sh $shot >/dev/null
done
scripts/icon-sheet.sh >/dev/null
[ "${1:-}" = --check ] || { echo "wrote every picture in docs/"; exit 0; }

differ=0
for made in "$TITLEBAR_PICTURES"/*.png; do
    name=$(basename "$made")
    # The count of pixels that differ; compare exits 1 when any do.
    pixels=$(compare -metric AE "docs/$name" "$made" null: 2>&1) || true
    if [ "$pixels" = 0 ]; then
        echo "same       docs/$name"
    else
        echo "DIFFERENT  docs/$name ($pixels pixels)"
        differ=1
    fi
done
exit "$differ"
