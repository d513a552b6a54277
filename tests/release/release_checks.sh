#!/bin/sh
# The release as scripts/package.sh makes it, checked one promise at a time.
#
#   release_checks.sh make DIST CERTS     the release, signed with a throwaway
#                                         certificate made in CERTS
#   release_checks.sh msi DIST            the package keeps Windows Installer's
#                                         rules, holds the zip's program, and
#                                         has a package code of its content
#   release_checks.sh signatures DIST CERTS
#   release_checks.sh zip DIST
#   release_checks.sh winget DIST
#   release_checks.sh verify DIST         verify-release.sh on it, a tampered
#                                         copy and an incomplete one
#   release_checks.sh reproducible WORK   two unsigned releases of the
#                                         committed source, byte for byte
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
version() { basename "$(msi)" | sed 's/^ietitlebar-\(.*\)-x64\.msi$/\1/'; }
# An MSI of the release's files, from the package definition $2, with the
# read-me $3 (the release's own when not given).
make_msi() {
    [ -d "$work/packed" ] || msiextract -C "$work/packed" "$(msi)" >/dev/null
    files=$work/packed/Programs/ietitlebar
    cmake -DOUTPUT="$1" -DVERSION="$(version)" -DWXS="$2" -DPROGRAM="$files/ietitlebar.exe" \
        -DLICENSE="$files/LICENSE.txt" -DREADME="${3:-$files/README.txt}" \
        -P "$top/cmake/make-msi.cmake"
}

case $check in
make)
    certs=$3
    "$here/make-test-certificate.sh" "$certs"
    TITLEBAR_SIGN_CERT="$certs/signer.pem" TITLEBAR_SIGN_KEY="$certs/signer.key" \
        TITLEBAR_DIST_DIR="$dist" "$top/scripts/package.sh"
    ;;
msi)
    "$here/msi_rules.sh" "$(msi)"
    # Each deliberate fault breaks the rule it names.
    for fault in "ICE64:/RemoveFolder/d" "ICE91:s/\"LocalAppDataFolder\"/\"ProgramFiles64Folder\"/"; do
        rule=${fault%%:*}
        sed "${fault#*:}" "$top/packaging/ietitlebar.wxs" >"$work/fault.wxs"
        make_msi "$work/fault.msi" "$work/fault.wxs"
        ! "$here/msi_rules.sh" "$work/fault.msi" >"$work/rules.log" ||
            fail "a package with the fault for $rule keeps every rule"
        grep -q "^BROKEN  $rule " "$work/rules.log" || { cat "$work/rules.log"; fail "no $rule"; }
    done

    msiextract -C "$work/packed" "$(msi)" >/dev/null
    unzip -q "$(zip)" ietitlebar.exe -d "$work/zipped"
    cmp "$work/packed/Programs/ietitlebar/ietitlebar.exe" "$work/zipped/ietitlebar.exe" ||
        fail "the MSI's program is not the zip's"
    # The package code is derived from what is packed: the same files give
    # the release's code, one more byte in the read-me another.
    code() { msiinfo suminfo "$1" | sed -n 's/^Revision number (UUID): //p'; }
    files=$work/packed/Programs/ietitlebar
    make_msi "$work/again.msi" "$top/packaging/ietitlebar.wxs" "$files/README.txt"
    [ "$(code "$work/again.msi")" = "$(code "$(msi)")" ] ||
        fail "the same files gave another package code"
    cp "$files/README.txt" "$work/README.txt" && printf ' ' >>"$work/README.txt"
    make_msi "$work/changed.msi" "$top/packaging/ietitlebar.wxs" "$work/README.txt"
    [ "$(code "$work/changed.msi")" != "$(code "$(msi)")" ] ||
        fail "a changed read-me kept the package code"
    echo "package code $(code "$(msi)") of the packed files; the zip's program; every rule kept"
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
verify)
    # verify-release.sh only reads the folder it checks.
    before=$(cd "$dist" && find . -type f -exec sha256sum {} + | sort)
    "$top/scripts/verify-release.sh" "$dist" >"$work/verify.log" ||
        { cat "$work/verify.log"; fail "the release does not verify"; }
    [ "$(grep -c '^same ' "$work/verify.log")" -eq 7 ] || { cat "$work/verify.log"; fail "not 7 files"; }
    [ "$(cd "$dist" && find . -type f -exec sha256sum {} + | sort)" = "$before" ] ||
        fail "verify-release.sh changed the release"

    cp -R "$dist" "$work/tampered"
    # One changed byte of the read-me inside the zip.
    (cd "$work" && unzip -q tampered/*.zip README.txt && printf ' ' >>README.txt &&
        TZ=UTC command zip -X -q tampered/*.zip README.txt)
    set +e
    "$top/scripts/verify-release.sh" "$work/tampered" >"$work/tampered.log" 2>&1
    status=$?
    set -e
    [ "$status" -eq 1 ] || { cat "$work/tampered.log"; fail "a tampered zip gave $status"; }
    grep -q '^DIFFERENT  ietitlebar-.*-win64.zip$' "$work/tampered.log" || fail "no DIFFERENT zip"

    rm "$work/tampered/SHA256SUMS"
    set +e
    "$top/scripts/verify-release.sh" "$work/tampered" >"$work/missing.log" 2>&1
    status=$?
    set -e
    [ "$status" -eq 2 ] && grep -q 'no readable SHA256SUMS' "$work/missing.log" ||
        { cat "$work/missing.log"; fail "a missing file gave $status"; }
    echo "verifies: 7 files the same; a tampered zip DIFFERENT (1); a missing file (2)"
    ;;
reproducible)
    # Two checkouts of the commit, of other names and depths, made at other
    # times, in other time zones, umasks and languages.
    rm -rf "$dist"
    mkdir -p "$dist/one" "$dist/a/much/deeper/two"
    git clone -q "$top" "$dist/one/ietitlebar"
    git clone -q "$top" "$dist/a/much/deeper/two/src"
    (cd "$dist/one/ietitlebar" && TZ=UTC LC_ALL=C scripts/package.sh) >"$work/one.log" 2>&1 ||
        { cat "$work/one.log"; fail "the first release failed"; }
    sleep 2
    (cd "$dist/a/much/deeper/two/src" && umask 077 &&
        TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 scripts/package.sh) >"$work/two.log" 2>&1 ||
        { cat "$work/two.log"; fail "the second release failed"; }
    one=$dist/one/ietitlebar
    two=$dist/a/much/deeper/two/src
    cmp "$one/build/windows-release/ietitlebar.exe" "$two/build/windows-release/ietitlebar.exe" ||
        fail "the programs differ"
    for file in $(cd "$one/dist" && find . -type f | sort); do
        cmp "$one/dist/$file" "$two/dist/$file" || fail "$file differs"
    done
    echo "two checkouts, the same bytes: ietitlebar.exe and $(cd "$one/dist" && find . -type f | sort | tr '\n' ' ')"
    rm -rf "$dist"
    ;;
*)
    fail "unknown check $check"
    ;;
esac
