#!/bin/sh
# Installs, from Debian's packages, whatever of the build and test tools a
# fresh Debian 12 machine lacks. Needs root (or sudo).
set -eu

packages="cmake ninja-build g++ libgtest-dev googletest
g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64
xvfb xauth xdotool x11-utils imagemagick clang libclang-rt-14-dev
libxml2-utils wixl msitools osslsigncode openssl unzip softhsm2
libengine-pkcs11-openssl faketime zip lld llvm jq git"

missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing="$missing $package"
done
[ -z "$missing" ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing:$missing"
$sudo apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing >/dev/null
