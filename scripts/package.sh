#!/bin/sh
# Makes a release in dist/ (or where TITLEBAR_DIST_DIR says): the zip, the
# per-user and the per-machine MSI, the administrator's kit, the bill of
# materials (SPDX), SHA256SUMS and the winget manifests, from the build for
# size of the windows-release preset. The same commit gives the same bytes
# anywhere: every time stamp is SOURCE_DATE_EPOCH, or the commit's time
# when that is not set.
#
#   TITLEBAR_SIGN_CERT, TITLEBAR_SIGN_KEY  PEM certificate and key: the program
#       and the kit's PowerShell scripts are signed before they are packed,
#       the MSI after it is built. The key may be a PKCS#11 URI, with
#       TITLEBAR_PKCS11_MODULE naming the token's module.
#   TITLEBAR_TIMESTAMP_URL  an RFC 3161 timestamp server for the signatures.
#   TITLEBAR_RELEASE_URL    the folder the release's files will be downloaded
#       from (each MSI's name is appended); the winget manifests carry it.
#   TITLEBAR_BUILD_DIR      the build folder (build/windows-release).
#   TITLEBAR_RELEASE_UNCOMMITTED=1  make a release from a git checkout with
#       changes that are not committed (refused otherwise).
#
# A failure leaves dist/ as it was: the release is made beside it and
# swapped in whole. A folder that holds anything but an earlier release's
# files is never replaced.
set -eu
cd "$(dirname "$0")/.."
dist=${TITLEBAR_DIST_DIR:-dist}
build=${TITLEBAR_BUILD_DIR:-build/windows-release}

fail() {
    echo "package.sh: $*" >&2
    exit 1
}

if [ -e "$dist" ] || [ -L "$dist" ]; then
    [ -d "$dist" ] && [ ! -L "$dist" ] || fail "'$dist' is not a folder: no release made"
    others=$(cd "$dist" && find . -mindepth 1 ! -path './ietitlebar-*-win64.zip' \
        ! -path './ietitlebar-*-x64.msi' ! -path './ietitlebar-*-x64-machine.msi' \
        ! -path './ietitlebar-*-admin.zip' \
        ! -path './ietitlebar-*.spdx.json' ! -path ./SHA256SUMS ! -path ./winget \
        ! -path './winget/Tavrelin.ietitlebar*.yaml' | head -n 5)
    [ -z "$others" ] || fail "'$dist' holds more than an earlier release, and making one" \
        "would replace it: no release made. Move these away, or choose another" \
        "TITLEBAR_DIST_DIR: $(echo "$others" | tr '\n' ' ')"
fi

# A release is rebuilt from its tag to be checked: a change that is not
# committed would make one that no tag builds.
if [ -e .git ] && command -v git >/dev/null; then
    changes=$(git status --porcelain --untracked-files=normal)
    if [ -n "$changes" ]; then
        [ "${TITLEBAR_RELEASE_UNCOMMITTED:-}" = 1 ] ||
            fail "the checkout has changes that are not committed, and a release made from it" \
                "could not be rebuilt from its tag; commit them, or set" \
                "TITLEBAR_RELEASE_UNCOMMITTED=1 for a release that is only a trial:" \
                "$(echo "$changes" | head -n 5)"
        echo "TITLEBAR_RELEASE_UNCOMMITTED=1: this release holds changes that are not committed."
    fi
else
    echo "Not a git checkout: the release is made from the files as they stand."
fi

cert=${TITLEBAR_SIGN_CERT:-}
key=${TITLEBAR_SIGN_KEY:-}
if [ -n "$cert$key" ]; then
    [ -n "$cert" ] && [ -n "$key" ] ||
        fail "set both TITLEBAR_SIGN_CERT and TITLEBAR_SIGN_KEY, or neither"
    packaging/sign.sh check "$cert" "$key" || fail "no release made: the signing key is not usable"
    echo "Signing with $cert"
else
    echo "TITLEBAR_SIGN_CERT and TITLEBAR_SIGN_KEY are not set: the release is not signed."
fi

scripts/install-deps.sh release
SOURCE_DATE_EPOCH=$(packaging/source-date-epoch.sh) || fail "no release made"
# Nothing of the machine's clock, zone, umask or language reaches a file.
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022
. packaging/release.sh

release_build "$build"
# shellcheck disable=SC2154 # release_build sets it, from the build's release.env
name="ietitlebar-$version"
# Beside dist, so that swapping it in is a rename on one file system.
parent=$(dirname "$dist")
mkdir -p "$parent"
stage=$(mktemp -d "$parent/.$(basename "$dist").new.XXXXXX")
previous="$parent/.$(basename "$dist").old.$$"
trap 'rm -rf "$stage" "$previous"' EXIT

release_files "$build" "$stage/files"
[ -z "$cert" ] || packaging/sign.sh sign "$cert" "$key" "$stage/files/ietitlebar.exe"
release_zip "$stage/$name-win64.zip" "$stage/files"
release_msi "$stage/$(user_msi)" "$stage/files" user
release_msi "$stage/$(machine_msi)" "$stage/files" machine
for msi in "$(user_msi)" "$(machine_msi)"; do
    [ -z "$cert" ] || packaging/sign.sh sign "$cert" "$key" "$stage/$msi"
done
release_kit_files "$stage/kit"
for script in "$stage/kit"/*.ps1; do
    [ -z "$cert" ] || packaging/sign.sh sign "$cert" "$key" "$script"
done
release_zip "$stage/$(kit_zip)" "$stage/kit"
release_spdx "$stage" "$build" "$stage/files/ietitlebar.exe"
rm -rf "$stage/files" "$stage/kit"
release_sums "$stage"

if [ -n "${TITLEBAR_RELEASE_URL:-}" ]; then
    url=$TITLEBAR_RELEASE_URL
else
    url="https://example.invalid/ietitlebar/$version"
    echo "TITLEBAR_RELEASE_URL is not set: the winget manifests carry the placeholder $url"
fi
release_winget "$stage" "$url"

chmod 755 "$stage"
if [ -e "$dist" ]; then
    mv "$dist" "$previous"
fi
if ! mv "$stage" "$dist"; then
    [ ! -e "$previous" ] || mv "$previous" "$dist"
    fail "the release could not be moved into '$dist', which is as it was"
fi
rm -rf "$previous"
trap - EXIT
echo "Release $version in $dist, time stamp $SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH")):"
(cd "$dist" && ls -l "$name-win64.zip" "$(user_msi)" "$(machine_msi)" "$(kit_zip)" "$name.spdx.json" &&
    cat SHA256SUMS)
