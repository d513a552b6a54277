#!/bin/sh
# The release as scripts/package.sh makes it, checked one promise at a time.
#
#   release_checks.sh make DIST CERTS     the release, signed with a throwaway
#                                         certificate made in CERTS
#   release_checks.sh msi DIST PROGRAM    a per-user package that asks for no
#                                         elevation and holds PROGRAM unchanged
#   release_checks.sh signatures DIST CERTS
#   release_checks.sh zip DIST
#   release_checks.sh winget DIST
set -eu
check=$1
dist=$2
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
msi() { ls "$dist"/ietitlebar-*-x64.msi; }
zip() { ls "$dist"/ietitlebar-*-win64.zip; }

case $check in
make)
    certs=$3
    "$here/make-test-certificate.sh" "$certs"
    TITLEBAR_SIGN_CERT="$certs/signer.pem" TITLEBAR_SIGN_KEY="$certs/signer.key" \
        TITLEBAR_DIST_DIR="$dist" "$top/scripts/package.sh"
    ;;
msi)
    program=$3
    # Word count 10: compressed (2), and no elevation needed (8).
    msiinfo suminfo "$(msi)" | grep -qx 'Source: 10 (a)' || fail "the package asks for elevation"
    msiinfo suminfo "$(msi)" | grep -qx 'Template: x64;1033' || fail "not a 64-bit package"
    ! msiinfo export "$(msi)" Property | grep -q '^ALLUSERS' || fail "the package is per machine"
    msiinfo export "$(msi)" LaunchCondition | grep -q 'A newer version of ietitlebar' ||
        fail "no message for a downgrade"
    msiextract -C "$work" "$(msi)" >/dev/null
    cmp "$work/Programs/ietitlebar/ietitlebar.exe" "$program" ||
        fail "the packed program differs from the one built"
    echo "per-user package, no elevation, program byte for byte as built"
    ;;
signatures)
    certs=$3
    unzip -q "$(zip)" ietitlebar.exe -d "$work"
    cp "$(msi)" "$work/package.msi"
    for file in "$work/ietitlebar.exe" "$work/package.msi"; do
        osslsigncode verify -CAfile "$certs/ca.pem" -in "$file" >"$work/verify.log" 2>&1 ||
            { cat "$work/verify.log"; fail "$(basename "$file") does not verify"; }
        # One flipped byte well inside the signed content.
        cp "$file" "$file.flipped"
        offset=$(($(stat -c %s "$file") / 3))
        byte=$(od -An -tu1 -j "$offset" -N 1 "$file" | tr -d ' ')
        printf "$(printf '\\%03o' $(((byte + 1) % 256)))" |
            dd of="$file.flipped" bs=1 seek="$offset" conv=notrunc 2>/dev/null
        ! osslsigncode verify -CAfile "$certs/ca.pem" -in "$file.flipped" >/dev/null 2>&1 ||
            fail "$(basename "$file") with a flipped byte still verifies"
    done
    # A key kept on a hardware token, reached through PKCS#11: a software
    # token stands in for it.
    export SOFTHSM2_CONF="$work/softhsm2.conf"
    mkdir "$work/tokens"
    printf 'directories.tokendir = %s\n' "$work/tokens" >"$SOFTHSM2_CONF"
    softhsm2-util --init-token --free --label release --pin 1234 --so-pin 5678 >/dev/null
    openssl pkcs8 -topk8 -nocrypt -in "$certs/signer.key" -out "$work/signer.p8"
    softhsm2-util --import "$work/signer.p8" --token release --label signer --id 01 \
        --pin 1234 >/dev/null
    osslsigncode remove-signature -in "$work/ietitlebar.exe" -out "$work/token.exe" >/dev/null
    TITLEBAR_PKCS11_MODULE=/usr/lib/softhsm/libsofthsm2.so "$top/packaging/sign.sh" sign \
        "$certs/signer.pem" "pkcs11:token=release;object=signer;type=private;pin-value=1234" \
        "$work/token.exe"
    osslsigncode verify -CAfile "$certs/ca.pem" -in "$work/token.exe" >/dev/null 2>&1 ||
        fail "the program signed with a key on a token does not verify"

    # A key that is not the certificate's stops the release before it starts.
    if TITLEBAR_SIGN_CERT="$certs/signer.pem" TITLEBAR_SIGN_KEY="$certs/other.key" \
        TITLEBAR_DIST_DIR="$work/dist" "$top/scripts/package.sh" >"$work/wrong.log" 2>&1; then
        fail "a wrong key made a release"
    fi
    grep -q 'does not belong to the certificate' "$work/wrong.log" || fail "no clear message"
    [ ! -e "$work/dist" ] || fail "a wrong key left something in dist"
    echo "program and MSI verify; a flipped byte fails; a token key signs; a wrong key makes nothing"
    ;;
zip)
    [ "$(unzip -Z1 "$(zip)" | sort | tr '\n' ' ')" = "LICENSE.txt README.txt ietitlebar.exe " ] ||
        fail "the zip holds: $(unzip -Z1 "$(zip)" | tr '\n' ' ')"
    (cd "$dist" && sha256sum -c SHA256SUMS)
    ;;
winget)
    # Every field the 1.6.0 schemas mark required, and no placeholder left.
    require() {
        for field in "$@"; do
            grep -Eq "^ *-? *$field:" "$manifest" || fail "$manifest has no $field"
        done
        ! grep -Eq '@[A-Z_]+@' "$manifest" || fail "$manifest has a placeholder left"
        # Only the lists open with an empty value.
        ! grep -E ': *$' "$manifest" |
            grep -Evq '^ *-? *(Installers|InstallModes|Tags|AppsAndFeaturesEntries):$' ||
            fail "$manifest has an empty field"
    }
    common="PackageIdentifier PackageVersion ManifestType ManifestVersion"
    manifest=$dist/winget/Tavrelin.ietitlebar.yaml
    require $common DefaultLocale
    manifest=$dist/winget/Tavrelin.ietitlebar.locale.en-US.yaml
    require $common PackageLocale Publisher PackageName License ShortDescription
    manifest=$dist/winget/Tavrelin.ietitlebar.installer.yaml
    require $common Installers Architecture InstallerUrl InstallerSha256 InstallerType
    grep -q "^ *InstallerSha256: $(sha256sum "$(msi)" | cut -d ' ' -f 1 | tr a-f A-F)$" "$manifest" ||
        fail "the installer hash is not the MSI's"
    code=$(msiinfo export "$(msi)" Property | sed -n 's/^ProductCode\t//p' | tr -d '\r')
    grep -q "^ *ProductCode: '$code'$" "$manifest" || fail "the product code is not the MSI's"
    echo "required fields present; hash and product code are the MSI's"
    ;;
*)
    fail "unknown check $check"
    ;;
esac
