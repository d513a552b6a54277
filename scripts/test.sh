#!/bin/sh
# Sets up, builds and runs every suite: native, native under the sanitizers,
# the fuzz targets (a minute each), the Windows build under Wine, and the
# Windows build made by Clang and llvm-rc under Wine (all but the release,
# which the first Windows build makes and checks).
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh

for preset in native native-asan fuzz windows windows-clang; do
    echo "=== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
