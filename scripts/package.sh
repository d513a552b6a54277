#!/bin/sh
# Makes a release in dist/ (or where TITLEBAR_DIST_DIR says): the zip, the
# per-user MSI, SHA256SUMS and the winget manifests, from a Release build of
# the windows preset.
#
#   TITLEBAR_SIGN_CERT, TITLEBAR_SIGN_KEY  PEM certificate and key: the program
#       is signed before it is packed, the MSI after it is built. The key may
#       be a PKCS#11 URI, with TITLEBAR_PKCS11_MODULE naming the token's module.
#   TITLEBAR_TIMESTAMP_URL  an RFC 3161 timestamp server for the signatures.
#   TITLEBAR_RELEASE_URL    where the release's files will be downloaded from
#       (the MSI's name is appended); the winget manifests carry it.
#   TITLEBAR_BUILD_DIR      the build folder (build/windows-release).
#
# A failure leaves dist/ as it was: the release is made aside and moved in
# whole.
set -eu
cd "$(dirname "$0")/.."
dist=${TITLEBAR_DIST_DIR:-dist}
build=${TITLEBAR_BUILD_DIR:-build/windows-release}

fail() {
    echo "package.sh: $*" >&2
    exit 1
}

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

scripts/install-deps.sh
cmake --preset windows-release -B "$build" >/dev/null
# Linked afresh: an earlier run may have signed the program in place.
rm -f "$build/ietitlebar.exe"
cmake --build "$build" --target ietitlebar
# shellcheck disable=SC1091
. "$build/release.env"
name="ietitlebar-$version"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# The program is signed where it was built, so that both packages take the
# signed one.
[ -z "$cert" ] || packaging/sign.sh sign "$cert" "$key" "$build/ietitlebar.exe"
rm -f "$build/$name-x64.msi"
cmake --build "$build" --target msi
(cd "$build" && cpack -G ZIP -B "$stage/cpack" >/dev/null)
mv "$stage/cpack/$name-win64.zip" "$stage/"
rm -rf "$stage/cpack"
cp "$build/$name-x64.msi" "$stage/"
[ -z "$cert" ] || packaging/sign.sh sign "$cert" "$key" "$stage/$name-x64.msi"
(cd "$stage" && sha256sum "$name-win64.zip" "$name-x64.msi" >SHA256SUMS)

if [ -n "${TITLEBAR_RELEASE_URL:-}" ]; then
    url="${TITLEBAR_RELEASE_URL%/}/$name-x64.msi"
else
    url="https://example.invalid/ietitlebar/$version/$name-x64.msi"
    echo "TITLEBAR_RELEASE_URL is not set: the winget manifests carry the placeholder $url"
fi
sha=$(sha256sum "$stage/$name-x64.msi" | cut -d ' ' -f 1 | tr a-f A-F)
mkdir "$stage/winget"
for manifest in packaging/winget/*.yaml; do
    sed -e "s|@VERSION@|$version|g" -e "s|@INSTALLER_URL@|$url|g" \
        -e "s|@INSTALLER_SHA256@|$sha|g" -e "s|@PRODUCT_CODE@|$product_code|g" \
        -e "s|@UPGRADE_CODE@|$upgrade_code|g" -e "s|@RELEASE_DATE@|$(date -u +%Y-%m-%d)|g" \
        "$manifest" >"$stage/winget/$(basename "$manifest")"
done

rm -rf "$dist"
mkdir -p "$(dirname "$dist")"
mv "$stage" "$dist"
trap - EXIT
chmod 755 "$dist"
echo "Release $version in $dist:"
(cd "$dist" && ls -l "$name-win64.zip" "$name-x64.msi" && cat SHA256SUMS)
