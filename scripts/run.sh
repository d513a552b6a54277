#!/bin/sh
# Sets up and builds the Windows program.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
echo "Built the title store and its tests; the window does not exist yet, so there is nothing to launch."
