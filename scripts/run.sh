#!/bin/sh
# Sets up, builds and opens the tool under Wine.
#
# It runs in the prefix that WINEPREFIX names when that is set, and otherwise
# in one of its own kept in the build folder. It needs a display: without
# one, run it as `xvfb-run -a scripts/run.sh`.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target ietitlebar

if [ -z "${DISPLAY:-}" ]; then
    echo "There is no display (DISPLAY is not set). To run the tool on a virtual one:" >&2
    echo "    xvfb-run -a scripts/run.sh" >&2
    exit 1
fi

if [ -n "${WINEPREFIX:-}" ]; then
    echo "Using the Wine prefix that WINEPREFIX names: $WINEPREFIX"
else
    WINEPREFIX="$PWD/build/windows/wine-prefix-run"
    export WINEPREFIX
    echo "Using the tool's own Wine prefix: $WINEPREFIX"
fi
[ -d "$WINEPREFIX/drive_c" ] || cmake/wine-init-prefix.sh

WINEDEBUG=-all exec wine build/windows/ietitlebar.exe
