#!/bin/sh
# Checks a release against the source: builds it again from this checkout,
# which must stand at the commit the release was made from, and compares
# every file byte for byte, signatures taken out.
#
#   scripts/verify-release.sh DIST_DIR
#
# Prints a line for each file, "same" or "DIFFERENT", and one for the
# signatures: each valid (against the machine's certificate authorities, or
# TITLEBAR_VERIFY_CA's), all by one signer. Exits 0 when all are the same,
# 1 when any differs, 2 when the release cannot be checked (a missing or
# unreadable file, or a checkout of another version), and 3 when the
# rebuild itself fails. DIST_DIR is only read.
#
# The rebuild takes its time stamp as scripts/package.sh does: from
# SOURCE_DATE_EPOCH, or the commit's time when that is not set. A signed
# program or script is compared with its signature taken out; the zips and
# the MSI are then made again around the release's own signed files, and
# the MSI is compared with its signature taken out.
set -eu
cd "$(dirname "$0")/.."

# Every exit but these means the rebuild failed.
finished=""
cannot() {
    echo "verify-release.sh: $*" >&2
    finished=yes
    exit 2
}

[ $# -eq 1 ] || cannot "usage: scripts/verify-release.sh DIST_DIR"
dist=$1
[ -d "$dist" ] && [ -r "$dist" ] || cannot "cannot read the folder '$dist'"
checkout=$(sed -n 's/^project(ietitlebar VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
set -- "$dist"/ietitlebar-*-x64.msi
[ $# -eq 1 ] && [ -r "$1" ] || cannot "'$dist' holds no one readable ietitlebar-<version>-x64.msi"
released=$(basename "$1" | sed 's/^ietitlebar-\(.*\)-x64\.msi$/\1/')
[ "$released" = "$checkout" ] ||
    cannot "'$dist' is release $released, but this checkout is $checkout: check out v$released first"
name="ietitlebar-$released"
for file in "$name-win64.zip" "$name-x64.msi" "$name-x64-machine.msi" "$name-admin.zip" \
    "$name.spdx.json" SHA256SUMS; do
    [ -f "$dist/$file" ] && [ -r "$dist/$file" ] || cannot "'$dist' has no readable $file"
done

scripts/install-deps.sh release
SOURCE_DATE_EPOCH=$(packaging/source-date-epoch.sh) || cannot "no time stamp to build with"
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022
. packaging/release.sh

work=$(mktemp -d)
# shellcheck disable=SC2154 # status is the trap's own
trap 'status=$?
    rm -rf "$work"
    if [ -z "$finished" ] && [ "$status" -ne 0 ]; then
        echo "verify-release.sh: the rebuild failed (status $status), so nothing was compared" >&2
        exit 3
    fi' EXIT
echo "Rebuilding $name from $(git rev-parse --short HEAD 2>/dev/null || echo 'this checkout'), time stamp $SOURCE_DATE_EPOCH"
release_build "$work/build"
release_files "$work/build" "$work/rebuilt"

differ=0
report() {
    if cmp -s "$2" "$3"; then
        echo "same       $1"
    else
        echo "DIFFERENT  $1"
        differ=1
    fi
}
# The file $1 as $2 with its Authenticode signature taken out, or as it is
# when it has none.
unsign() {
    if osslsigncode extract-signature -in "$1" -out "$1.signature" >/dev/null 2>&1; then
        osslsigncode remove-signature -in "$1" -out "$2" >/dev/null ||
            cannot "cannot take the signature out of $(basename "$1")"
    else
        cp "$1" "$2"
    fi
}

mkdir "$work/released"
unzip -q "$dist/$name-win64.zip" ietitlebar.exe -d "$work/released" ||
    cannot "cannot read ietitlebar.exe from $name-win64.zip"
unsign "$work/released/ietitlebar.exe" "$work/released/ietitlebar.unsigned.exe"
report "ietitlebar.exe (in the zip)" "$work/released/ietitlebar.unsigned.exe" \
    "$work/rebuilt/ietitlebar.exe"

# The packages are made again around the release's program when it is the
# one built here, signature and all; otherwise around the rebuilt one.
mkdir "$work/packed"
cp "$work/rebuilt/LICENSE.txt" "$work/rebuilt/README.txt" "$work/rebuilt/THIRD-PARTY-NOTICES.txt" \
    "$work/packed/"
if [ "$differ" -eq 0 ]; then
    cp "$work/released/ietitlebar.exe" "$work/packed/"
else
    cp "$work/rebuilt/ietitlebar.exe" "$work/packed/"
fi
release_zip "$work/$name-win64.zip" "$work/packed"
report "$name-win64.zip" "$dist/$name-win64.zip" "$work/$name-win64.zip"
for scope in user machine; do
    msi=$(${scope}_msi)
    cp "$dist/$msi" "$work/released/"
    unsign "$work/released/$msi" "$work/released/unsigned-$msi"
    release_msi "$work/$msi" "$work/packed" "$scope"
    report "$msi" "$work/released/unsigned-$msi" "$work/$msi"
done

# The administrator's kit: each script compared with its signature taken
# out, and the zip made again around the release's own scripts where they
# are the ones built here.
release_kit_files "$work/kit"
mkdir "$work/released-kit" "$work/unsigned-kit"
unzip -q "$dist/$(kit_zip)" -d "$work/released-kit" || cannot "cannot read $(kit_zip)"
for script in "$work/kit"/*.ps1; do
    script=$(basename "$script")
    [ -f "$work/released-kit/$script" ] || cannot "$(kit_zip) has no $script"
    unsign "$work/released-kit/$script" "$work/unsigned-kit/$script"
    report "$script (in the kit)" "$work/unsigned-kit/$script" "$work/kit/$script"
    ! cmp -s "$work/unsigned-kit/$script" "$work/kit/$script" ||
        cp "$work/released-kit/$script" "$work/kit/$script"
done
release_zip "$work/$(kit_zip)" "$work/kit"
report "$(kit_zip)" "$dist/$(kit_zip)" "$work/$(kit_zip)"

# Each signature, as Windows would check it: valid against the machine's
# certificate authorities (or those of TITLEBAR_VERIFY_CA, a PEM file, for
# a private one), and every signed file signed by one certificate. A
# release signed nowhere is a trial and passes.
signer() {
    rm -f "$work/signature"
    osslsigncode extract-signature -in "$1" -out "$work/signature" >/dev/null 2>&1 ||
        { echo none; return; }
    # shellcheck disable=SC2086 # one option and its file, or none
    osslsigncode verify ${TITLEBAR_VERIFY_CA:+-CAfile "$TITLEBAR_VERIFY_CA"} -in "$1" \
        >"$work/signature.log" 2>&1 || { echo invalid; return; }
    sed -n '/Signer #0:/,/Serial/s/^[[:space:]]*Serial : //p' "$work/signature.log" | head -n 1
}
signers=""
for file in "$work/released/ietitlebar.exe" "$work/released/$(user_msi)" \
    "$work/released/$(machine_msi)" "$work/released-kit"/*.ps1; do
    signers="$signers$(basename "$file") $(signer "$file")
"
done
if [ "$(echo "$signers" | cut -s -d ' ' -f 2 | sort -u)" = none ]; then
    echo "unsigned   every file: a trial release"
elif [ "$(echo "$signers" | cut -s -d ' ' -f 2 | sort -u | wc -l)" -eq 1 ] &&
    ! echo "$signers" | grep -q ' \(none\|invalid\)$'; then
    echo "same       signatures: $(echo "$signers" | grep -c .) files, valid, one signer"
else
    echo "DIFFERENT  signatures: $(echo "$signers" | tr '\n' ' ')"
    differ=1
fi

# The bill of materials, the sums and the manifests are the release's own
# files'.
mkdir "$work/listed"
cp "$dist/$name-win64.zip" "$dist/$(user_msi)" "$dist/$(machine_msi)" "$dist/$(kit_zip)" \
    "$work/listed/"
release_spdx "$work/listed" "$work/build" "$work/packed/ietitlebar.exe"
report "$name.spdx.json" "$dist/$name.spdx.json" "$work/listed/$name.spdx.json"
cp "$dist/$name.spdx.json" "$work/listed/"
release_sums "$work/listed"
report SHA256SUMS "$dist/SHA256SUMS" "$work/listed/SHA256SUMS"

installer="$dist/winget/Tavrelin.ietitlebar.installer.yaml"
if [ -r "$installer" ]; then
    # The folder they are downloaded from, as the manifests name it.
    url=$(sed -n 's/^ *InstallerUrl: *//p' "$installer" | head -n 1)
    release_winget "$work/listed" "${url%/*}"
    for manifest in "$work/listed/winget/"*.yaml; do
        report "winget/$(basename "$manifest")" "$dist/winget/$(basename "$manifest")" "$manifest"
    done
fi

if [ "$differ" -eq 0 ]; then
    echo "The release is what this checkout builds."
else
    echo "The release is NOT what this checkout builds."
fi
finished=yes
exit "$differ"
