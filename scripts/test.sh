#!/bin/sh
# Sets up, builds and runs every suite: native, native under the sanitizers,
# the fuzz targets (a minute each),
# and the Windows build under Wine.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh

for preset in native native-asan fuzz windows; do
    echo "=== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
