#!/bin/sh
# The release as scripts/package.sh makes it, checked one promise at a time.
#
#   release_checks.sh make DIST CERTS     the release, signed with a throwaway
#                                         certificate made in CERTS
#   release_checks.sh msi DIST            the package keeps Windows Installer's
#                                         rules, holds the zip's program, and
#                                         has a package code of its content
#   release_checks.sh signatures DIST CERTS
#   release_checks.sh zip DIST            its files and sums, the program's PE
#                                         flags and icons, the kit's files
#   release_checks.sh winget DIST
#   release_checks.sh verify DIST CERTS   verify-release.sh on it, a tampered
#                                         copy and an incomplete one
#   release_checks.sh reproducible WORK   two unsigned releases of copies of
#                                         the source tree, byte for byte
#   release_checks.sh uncommitted WORK    no release from a changed checkout
#   release_checks.sh archive WORK        git archive of HEAD: its time and
#                                         its configure step, without git
#   release_checks.sh spdx DIST           the bill of materials: SPDX 2.3's
#                                         fields, hashes and components
#   release_checks.sh notices BUILD       the notices name every file that
#                                         the link took from the toolchain
#   release_checks.sh writers BUILD       the notices and the bill of
#                                         materials stop, writing nothing, on
#                                         a planted fault
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
machine_msi() { ls "$dist"/ietitlebar-*-x64-machine.msi; }
zip() { ls "$dist"/ietitlebar-*-win64.zip; }
kit() { ls "$dist"/ietitlebar-*-admin.zip; }
version() { basename "$(msi)" | sed 's/^ietitlebar-\(.*\)-x64\.msi$/\1/'; }
# An MSI of the release's files for the scope $2, from the package
# definition $3, with the read-me $4 (the release's own when not given).
make_msi() {
    [ -d "$work/packed" ] || msiextract -C "$work/packed" "$(msi)" >/dev/null
    files=$work/packed/Programs/ietitlebar
    cmake -DOUTPUT="$1" -DVERSION="$(version)" -DSCOPE="$2" -DWXS="$3" \
        -DPROGRAM="$files/ietitlebar.exe" -DLICENSE="$files/LICENSE.txt" \
        -DREADME="${4:-$files/README.txt}" -DNOTICES="$files/THIRD-PARTY-NOTICES.txt" \
        -P "$top/cmake/make-msi.cmake"
}

# A copy of the source tree in the folder $1, without git, builds or
# releases.
copy_tree() {
    mkdir -p "$1"
    tar -C "$top" --exclude=./.git --exclude=./build --exclude=./dist --exclude=./out -cf - . |
        tar -C "$1" -xf -
}

case $check in
make)
    certs=$3
    "$here/make-test-certificate.sh" "$certs"
    # The tree as it stands, committed or not: the suite checks work in
    # progress too.
    TITLEBAR_SIGN_CERT="$certs/signer.pem" TITLEBAR_SIGN_KEY="$certs/signer.key" \
        TITLEBAR_RELEASE_UNCOMMITTED=1 TITLEBAR_DIST_DIR="$dist" "$top/scripts/package.sh"
    # The folder is made private while it fills: others may read it once done.
    [ "$(stat -c %a "$dist")" = 755 ] || fail "dist is left $(stat -c %a "$dist")"
    ;;
msi)
    "$here/msi_rules.sh" "$(msi)"
    "$here/msi_rules.sh" "$(machine_msi)"
    # Each deliberate fault breaks the rule it names: a per-user folder left
    # behind, a per-user package that puts the program in the machine's
    # Program Files, a per-machine one that puts it in one user's profile, a
    # file name that Windows cannot give a file, a short name longer than
    # 8.3, a folder name with a character no name may hold, a per-machine
    # shortcut whose key path is not the user's, a per-user folder's
    # component keyed to a file, a component with per-user and per-machine
    # data, and a component in no feature.
    user_wxs=$top/packaging/ietitlebar.wxs
    machine_wxs=$top/packaging/ietitlebar-machine.wxs
    while read -r rule scope wxs edit; do
        sed "$edit" "$wxs" >"$work/fault.wxs"
        make_msi "$work/fault.msi" "$scope" "$work/fault.wxs"
        ! "$here/msi_rules.sh" "$work/fault.msi" >"$work/rules.log" ||
            fail "a $scope package with the fault for $rule keeps every rule"
        grep -q "^BROKEN  $rule " "$work/rules.log" || { cat "$work/rules.log"; fail "no $rule"; }
    done <<FAULTS
ICE64 user $user_wxs /RemoveFolder/d
ICE91 user $user_wxs s/"LocalAppDataFolder"/"ProgramFiles64Folder"/
ICE91 machine $machine_wxs s/"ProgramFiles64Folder"/"LocalAppDataFolder"/
ICE03 user $user_wxs s/Name="README.txt"/Name="READ*ME.txt"/
ICE03 user $user_wxs s/Name="README.txt"/Name="READMEFILE.txt|README.txt"/
ICE03 user $user_wxs s/Name="ietitlebar">/Name="ietitle*bar">/
ICE43 machine $machine_wxs s/Root="HKCU"/Root="HKLM"/
ICE38 user $user_wxs s/Source="\$(var.Program)"/& KeyPath="yes"/;s/"\[INSTALLDIR\]" KeyPath="yes"/"[INSTALLDIR]"/
ICE57 machine $machine_wxs s|<File Id="LICENSE.txt"|<RegistryValue Root="HKCU" Key="Software" Name="Mixed" Type="integer" Value="1"/>&|
ICE21 user $user_wxs /<ComponentRef Id="StartMenuShortcut"/d
FAULTS

    msiextract -C "$work/packed" "$(msi)" >/dev/null
    msiextract -C "$work/machine" "$(machine_msi)" >/dev/null
    unzip -q "$(zip)" ietitlebar.exe -d "$work/zipped"
    find "$work/packed" "$work/machine" -name ietitlebar.exe | while read -r packed; do
        cmp "$packed" "$work/zipped/ietitlebar.exe" || fail "an MSI's program is not the zip's"
    done
    [ "$(find "$work/packed" "$work/machine" -name ietitlebar.exe | wc -l)" -eq 2 ] ||
        fail "the MSIs do not hold one program each"
    # And the zip's notices, which the zip check reads for winpthreads'.
    unzip -q "$(zip)" THIRD-PARTY-NOTICES.txt -d "$work/zipped"
    find "$work/packed" "$work/machine" -name THIRD-PARTY-NOTICES.txt | while read -r notices; do
        cmp "$notices" "$work/zipped/THIRD-PARTY-NOTICES.txt" || fail "an MSI's notices are not the zip's"
    done
    [ "$(find "$work/packed" "$work/machine" -name THIRD-PARTY-NOTICES.txt | wc -l)" -eq 2 ] ||
        fail "the MSIs do not hold the notices each"
    # The package code is derived from what is packed: the same files give
    # the release's code, one more byte in the read-me another.
    code() { msiinfo suminfo "$1" | sed -n 's/^Revision number (UUID): //p'; }
    files=$work/packed/Programs/ietitlebar
    make_msi "$work/again.msi" user "$user_wxs" "$files/README.txt"
    [ "$(code "$work/again.msi")" = "$(code "$(msi)")" ] ||
        fail "the same files gave another package code"
    cp "$files/README.txt" "$work/README.txt" && printf ' ' >>"$work/README.txt"
    make_msi "$work/changed.msi" user "$user_wxs" "$work/README.txt"
    [ "$(code "$work/changed.msi")" != "$(code "$(msi)")" ] ||
        fail "a changed read-me kept the package code"
    echo "package codes of the packed files; the zip's program in both; every rule kept"
    ;;
signatures)
    certs=$3
    unzip -q "$(zip)" ietitlebar.exe -d "$work"
    cp "$(msi)" "$work/package.msi"
    unzip -q "$(kit)" '*.ps1' -d "$work"
    for file in "$work/ietitlebar.exe" "$work/package.msi" "$work"/*.ps1; do
        osslsigncode verify -CAfile "$certs/ca.pem" -in "$file" >"$work/verify.log" 2>&1 ||
            { cat "$work/verify.log"; fail "$(basename "$file") does not verify"; }
        # One flipped byte well inside the signed content: a script's
        # first line, before its signature block.
        cp "$file" "$file.flipped"
        offset=$(($(stat -c %s "$file") / 3))
        case $file in *.ps1) offset=4 ;; esac
        byte=$(od -An -tu1 -j "$offset" -N 1 "$file" | tr -d ' ')
        # shellcheck disable=SC2059 # the format is one byte's octal escape
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

    # A chain as `openssl pkcs12 -nokeys` may write it, the authority first.
    cat "$certs/ca.pem" "$certs/signer.pem" >"$work/ca-first.pem"
    "$top/packaging/sign.sh" check "$work/ca-first.pem" "$certs/signer.key" ||
        fail "a chain with the authority first does not check"
    osslsigncode remove-signature -in "$work/ietitlebar.exe" -out "$work/chain.exe" >/dev/null
    "$top/packaging/sign.sh" sign "$work/ca-first.pem" "$certs/signer.key" "$work/chain.exe"
    osslsigncode verify -CAfile "$certs/ca.pem" -in "$work/chain.exe" >/dev/null 2>&1 ||
        fail "the program signed with a chain in another order does not verify"

    # A key that is not the certificate's stops the release before it starts.
    if TITLEBAR_SIGN_CERT="$certs/signer.pem" TITLEBAR_SIGN_KEY="$certs/other.key" \
        TITLEBAR_RELEASE_UNCOMMITTED=1 TITLEBAR_DIST_DIR="$work/dist" "$top/scripts/package.sh" \
        >"$work/wrong.log" 2>&1; then
        fail "a wrong key made a release"
    fi
    grep -q 'does not belong to the certificate' "$work/wrong.log" || fail "no clear message"
    [ ! -e "$work/dist" ] || fail "a wrong key left something in dist"
    echo "program and MSI verify; a flipped byte fails; a token key signs; a wrong key makes nothing"
    ;;
zip)
    [ "$(unzip -Z1 "$(zip)" | sort | tr '\n' ' ')" = \
        "LICENSE.txt README.txt THIRD-PARTY-NOTICES.txt ietitlebar.exe " ] ||
        fail "the zip holds: $(unzip -Z1 "$(zip)" | tr '\n' ' ')"
    # The program's size (a string table for each of 35 languages, the icons
    # at every size), its mitigations, and its awareness of Remote Desktop
    # hosts.
    unzip -q "$(zip)" ietitlebar.exe -d "$work"
    size=$(stat -c %s "$work/ietitlebar.exe")
    [ "$size" -le $((512 * 1024)) ] || fail "the program is $size bytes, more than 512 KiB"
    flags=$(x86_64-w64-mingw32-objdump -p "$work/ietitlebar.exe" |
        sed -n 's/^DllCharacteristics[[:space:]]*//p')
    for flag in 0x0020:HIGH_ENTROPY_VA 0x0040:DYNAMIC_BASE 0x0100:NX_COMPAT \
        0x8000:TERMINAL_SERVER_AWARE; do
        [ $((0x$flags & ${flag%%:*})) -ne 0 ] || fail "the program lacks ${flag#*:} ($flags)"
    done
    # Its icons at every size Windows asks for, 32 bits with alpha: its own
    # (the first group) and the About picture at eight each.
    wrestool -x --type=14 "$work/ietitlebar.exe" -o "$work"
    for group in "$work"/ietitlebar.exe_14_*.ico; do
        case $group in
        *_14_1.ico) wanted="16 20 24 32 40 48 64 256" ;;
        *) wanted="16 20 24 28 32 36 40 48" ;;
        esac
        [ "$(icotool -l "$group" | sed -n 's/.*--width=\([0-9]*\) .*--bit-depth=32 .*/\1/p' |
            tr '\n' ' ')" = "$wanted " ] || fail "$(basename "$group") holds: $(icotool -l "$group")"
    done
    [ -e "$work/ietitlebar.exe_14_2.ico" ] || fail "the program has no About picture"
    # winpthreads' notice, which its licence asks every copy to carry.
    unzip -p "$(zip)" THIRD-PARTY-NOTICES.txt | tr -d '\r' >"$work/notices"
    grep -q '^winpthreads, by ' "$work/notices" &&
        grep -q 'Permission is hereby granted, free of charge' "$work/notices" ||
        fail "the zip's notices lack winpthreads' licence"
    # The administrator's kit: the template as PolicyDefinitions lays it
    # out, the .reg file, every script of deploy/, and the guide.
    [ "$(unzip -Z1 "$(kit)" | LC_ALL=C sort)" = "$(cd "$top/deploy" && {
        echo PolicyDefinitions/ietitlebar.admx deployment.md window-title.reg ./*.ps1 ./*.bat
        for adml in */ietitlebar.adml; do echo "PolicyDefinitions/$adml"; done
    } | tr ' ' '\n' | sed 's|^\./||' | LC_ALL=C sort)" ] || fail "the kit holds: $(unzip -Z1 "$(kit)")"
    # The sums name every file of the release but themselves and the
    # manifests, and each is right.
    [ "$(cd "$dist" && find . -maxdepth 1 -type f ! -name SHA256SUMS | sed 's|^\./||' | sort)" = \
        "$(sed 's/^[0-9a-f]*  //' "$dist/SHA256SUMS" | sort)" ] || fail "SHA256SUMS lists: $(cat "$dist/SHA256SUMS")"
    (cd "$dist" && sha256sum -c SHA256SUMS)
    ;;
spdx)
    # The fields SPDX 2.3 requires of a document and its packages, the
    # hashes of the files it names, and a STATIC_LINK to each component.
    spdx=$(ls "$dist"/ietitlebar-*.spdx.json)
    jq -e '.spdxVersion == "SPDX-2.3" and .dataLicense == "CC0-1.0"
        and .SPDXID == "SPDXRef-DOCUMENT" and (.name | length > 0)
        and (.documentNamespace | test("^https://[^#]+$"))
        and (.creationInfo.created | test("^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z$"))
        and (.creationInfo.creators | length > 0)
        and all(.packages[]; (.name | length > 0) and (.SPDXID | test("^SPDXRef-[A-Za-z0-9.-]+$"))
            and has("downloadLocation") and .filesAnalyzed == false)
        and ([.packages[].SPDXID] | length == (unique | length))
        and ([.packages[].SPDXID] as $ids | all(.relationships[];
            (.spdxElementId | IN($ids[], "SPDXRef-DOCUMENT")) and (.relatedSpdxElement | IN($ids[]))))
        and any(.relationships[]; .relationshipType == "DESCRIBES")' "$spdx" >/dev/null ||
        fail "$(basename "$spdx") lacks a field SPDX 2.3 requires"
    for file in "$(zip)" "$(msi)" "$(kit)"; do
        [ "$(jq -r --arg name "$(basename "$file")" \
            '.packages[] | select(.packageFileName == $name) | .checksums[] |
            select(.algorithm == "SHA256") | .checksumValue' "$spdx")" = \
            "$(sha256sum "$file" | cut -d ' ' -f 1)" ] || fail "$(basename "$file")'s hash"
    done
    [ "$(jq '[.relationships[] | select(.relationshipType == "STATIC_LINK")] | length' "$spdx")" = \
        "$(jq '[.packages[] | select(.primaryPackagePurpose == "LIBRARY")] | length' "$spdx")" ] ||
        fail "not every component is linked"
    jq -e '[.packages[] | select(.primaryPackagePurpose == "LIBRARY")] | length > 0 and
        all(.[]; (.versionInfo | length > 0) and (.supplier | startswith("Organization: "))
            and (.licenseDeclared | length > 0))' "$spdx" >/dev/null ||
        fail "a component lacks its version, supplier or licence"
    # A package URL's version is percent-encoded: a raw + there reads as a
    # space.
    jq -e 'all(.packages[].externalRefs[]?; .referenceLocator | test("@[^+?]+[?]"))' \
        "$spdx" >/dev/null || fail "a package URL's version holds a raw +"
    jq -e '[.. | strings | select(length == 0)] | length == 0' "$spdx" >/dev/null ||
        fail "$(basename "$spdx") has an empty value"
    for file in "$(zip)" "$(msi)" "$(machine_msi)"; do
        jq -e --arg name "$(basename "$file")" '(.packages[] | select(.name == "ietitlebar.exe")
            | .SPDXID) as $program | (.packages[] | select(.packageFileName == $name) | .SPDXID)
            as $file | any(.relationships[]; .spdxElementId == $file
                and .relationshipType == "CONTAINS" and .relatedSpdxElement == $program)' \
            "$spdx" >/dev/null || fail "$(basename "$file") does not contain the program"
    done
    echo "$(basename "$spdx"): SPDX 2.3's fields, the files' hashes, $(jq '[.packages[] |
        select(.primaryPackagePurpose == "LIBRARY")] | length' "$spdx") components linked"
    ;;
notices)
    # Every archive and object that the link took from outside the build is
    # named in the notices, read from the link map by itself.
    build=$2
    awk '/^Archive member included/ { members = 1; next }
        members && /^(Discarded|Memory|Allocating)/ { members = 0 }
        members && /^\// { sub(/\(.*/, ""); print }
        /^LOAD \/usr\/.*\.o$/ { print $2 }' "$build/ietitlebar.map" |
        xargs -n 1 basename | sort -u >"$work/linked"
    [ -s "$work/linked" ] || fail "the link map names no archive"
    tr -d '\r' <"$build/generated/THIRD-PARTY-NOTICES.txt" |
        sed -n 's/^  Linked files: *//p' | tr ' ' '\n' | sort -u >"$work/named"
    missing=$(comm -23 "$work/linked" "$work/named")
    [ -z "$missing" ] || fail "the notices do not name:" "$missing"
    echo "the notices name all $(wc -l <"$work/linked") files the link took"
    ;;
writers)
    # A fault planted in a copy of the writers, or in what they read: each
    # exits non-zero and leaves no file where the release would pick it up.
    build=$2
    cp "$build/ietitlebar.map" "$work/unowned.map"
    echo "LOAD /usr/lib/ietitlebar-no-package-owns-this.o" >>"$work/unowned.map"
    while read -r fault writer file edit; do
        rm -rf "$work/copy" "$work/out"
        mkdir -p "$work/copy"
        cp -R "$top/packaging" "$top/CMakeLists.txt" "$work/copy/"
        [ "$file" = - ] || sed -i "$edit" "$work/copy/packaging/$file"
        map=$build/ietitlebar.map
        [ "$fault" != unowned ] || map=$work/unowned.map
        set +e
        case $writer in
        notices) "$work/copy/packaging/third-party-notices.sh" notices "$map" "$work/out" ;;
        spdx) SOURCE_DATE_EPOCH=0 "$work/copy/packaging/spdx.sh" "$work/out" 1.0.0 \
            "$build/ietitlebar.exe" "$map" "$work/missing.msi" ;;
        esac >"$work/$fault.log" 2>&1
        status=$?
        set -e
        [ "$status" -ne 0 ] || fail "$writer with the fault '$fault' exited 0"
        [ -z "$(find "$work" -maxdepth 1 -name 'out*')" ] || fail "$writer with '$fault' left a file"
        echo "$fault: $writer exits $status: $(head -n 1 "$work/$fault.log")"
    done <<'FAULTS'
copyright notices third-party-notices.sh s|/usr/share/doc/|/nowhere/|
unnamed notices third-party.txt /^libgcc|/d
unowned notices - -
installer spdx - -
FAULTS
    ;;
winget)
    # What the 1.12.0 schemas require of each manifest, and the constraints
    # on every field these manifests use; no placeholder left.
    url='^[Hh][Tt][Tt][Pp][Ss]?://.+$'
    common='.PackageIdentifier == "Tavrelin.ietitlebar" and .ManifestVersion == "1.12.0"
        and (.PackageVersion | test("^[0-9]+[.][0-9]+[.][0-9]+$"))'
    check() {
        manifest=$dist/winget/$1
        ! grep -Eq '@[A-Z_]+@' "$manifest" || fail "$1 has a placeholder left"
        yq -e --arg url "$url" "$common and .ManifestType == \"$2\" and ($3)" "$manifest" >/dev/null ||
            fail "$1 breaks the $2 1.12.0 schema"
    }
    check Tavrelin.ietitlebar.yaml version '.DefaultLocale == "en-US"'
    # shellcheck disable=SC2016 # $url is yq's
    check Tavrelin.ietitlebar.locale.en-US.yaml defaultLocale '.PackageLocale == "en-US"
        and (.Publisher | length >= 2) and (.PackageName | length >= 2)
        and (.License | length >= 3) and (.ShortDescription | length >= 3)
        and all(.PublisherUrl, .PublisherSupportUrl, .PackageUrl, .LicenseUrl, .ReleaseNotesUrl;
            test($url))'
    # shellcheck disable=SC2016
    check Tavrelin.ietitlebar.installer.yaml installer '.InstallerType == "msi"
        and (.Installers | length == 2)
        and ([.Installers[] | .Scope // "none"] | sort == ["machine", "none"])
        and all(.Installers[]; (.Scope == "machine") == (.ElevationRequirement == "elevationRequired"))
        and all(.Installers[].ElevationRequirement // "elevationRequired";
            IN("elevationRequired", "elevationProhibited", "elevatesSelf"))
        and all(.Installers[]; .Architecture == "x64" and (.InstallerUrl | test($url))
            and (.InstallerSha256 | test("^[A-Fa-f0-9]{64}$"))
            and .AppsAndFeaturesEntries[0].ProductCode == .ProductCode)'
    # A YAML reader keeps a quoted date a string, as the schema asks.
    grep -Eq "^ReleaseDate: '[0-9]{4}-[0-9]{2}-[0-9]{2}'$" "$dist/winget/Tavrelin.ietitlebar.installer.yaml" ||
        fail "the release date is not a quoted date"
    # Each installer is the release's own MSI, by hash and product code.
    manifest=$dist/winget/Tavrelin.ietitlebar.installer.yaml
    for scope in user machine; do
        case $scope in
        user) file=$(msi) ;;
        machine) file=$(machine_msi) ;;
        esac
        code=$(msiinfo export "$file" Property | sed -n 's/^ProductCode\t//p' | tr -d '\r')
        # shellcheck disable=SC2016 # the $ names are yq's
        yq -e --arg scope "$scope" --arg sha "$(sha256sum "$file" | cut -d ' ' -f 1 | tr a-f A-F)" \
            --arg code "$code" --arg name "$(basename "$file")" '.Installers[] |
            select((.Scope // "user") == $scope) | .InstallerSha256 == $sha and .ProductCode == $code
            and (.InstallerUrl | endswith("/" + $name))' "$manifest" >/dev/null ||
            fail "the $scope installer is not $(basename "$file")"
    done
    echo "the 1.12.0 schemas' fields; both installers are the release's MSIs"
    ;;
verify)
    # The throwaway authority stands for a public one.
    export TITLEBAR_VERIFY_CA="$3/ca.pem"
    # verify-release.sh only reads the folder it checks.
    before=$(cd "$dist" && find . -type f -exec sha256sum {} + | sort)
    "$top/scripts/verify-release.sh" "$dist" >"$work/verify.log" ||
        { cat "$work/verify.log"; fail "the release does not verify"; }
    [ "$(grep -c '^same ' "$work/verify.log")" -eq 14 ] || { cat "$work/verify.log"; fail "not 14 lines"; }
    [ "$(cd "$dist" && find . -type f -exec sha256sum {} + | sort)" = "$before" ] ||
        fail "verify-release.sh changed the release"

    cp -R "$dist" "$work/tampered"
    # One changed byte of the read-me inside the zip.
    (cd "$work" && unzip -q tampered/*-win64.zip README.txt && printf ' ' >>README.txt &&
        TZ=UTC command zip -X -q tampered/*-win64.zip README.txt)
    # And one of the kit's scripts unsigned, its text as it was.
    (cd "$work" && unzip -q tampered/*-admin.zip set-title.ps1 &&
        osslsigncode remove-signature -in set-title.ps1 -out plain.ps1 >/dev/null &&
        mv plain.ps1 set-title.ps1 && TZ=UTC command zip -X -q tampered/*-admin.zip set-title.ps1)
    set +e
    "$top/scripts/verify-release.sh" "$work/tampered" >"$work/tampered.log" 2>&1
    status=$?
    set -e
    [ "$status" -eq 1 ] || { cat "$work/tampered.log"; fail "a tampered zip gave $status"; }
    grep -q '^DIFFERENT  ietitlebar-.*-win64.zip$' "$work/tampered.log" || fail "no DIFFERENT zip"
    grep -q '^DIFFERENT  signatures: .*set-title.ps1 none' "$work/tampered.log" ||
        fail "no DIFFERENT signatures"

    rm "$work/tampered/SHA256SUMS"
    set +e
    "$top/scripts/verify-release.sh" "$work/tampered" >"$work/missing.log" 2>&1
    status=$?
    set -e
    [ "$status" -eq 2 ] && grep -q 'no readable SHA256SUMS' "$work/missing.log" ||
        { cat "$work/missing.log"; fail "a missing file gave $status"; }
    # A checkout that no longer builds has nothing to compare.
    copy_tree "$work/broken"
    echo '#error this checkout does not build' >>"$work/broken/src/app/main.cpp"
    set +e
    SOURCE_DATE_EPOCH=$("$top/packaging/source-date-epoch.sh") \
        "$work/broken/scripts/verify-release.sh" "$dist" >"$work/broken.log" 2>&1
    status=$?
    set -e
    [ "$status" -eq 3 ] || { cat "$work/broken.log"; fail "a failed rebuild gave $status"; }
    echo "verifies: 13 files and the signatures the same; a tampered zip and an unsigned script DIFFERENT (1); a missing file (2); a failed rebuild (3)"
    ;;
reproducible)
    # Two copies of the source tree, without git as a source archive is, of
    # other names and depths, released at other times, in other time zones,
    # umasks and languages; each takes the commit's time as an archive does.
    epoch=$("$top/packaging/source-date-epoch.sh")
    rm -rf "$dist"
    one=$dist/one/ietitlebar
    two=$dist/a/much/deeper/two/src
    for copy in "$one" "$two"; do
        copy_tree "$copy"
        echo "$epoch" >"$copy/packaging/commit-time"
    done
    (cd "$one" && env -u SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C scripts/package.sh) >"$work/one.log" 2>&1 ||
        { cat "$work/one.log"; fail "the first release failed"; }
    sleep 2
    (cd "$two" && umask 077 && env -u SOURCE_DATE_EPOCH TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 \
        scripts/package.sh) >"$work/two.log" 2>&1 || { cat "$work/two.log"; fail "the second release failed"; }
    cmp "$one/build/windows-release/ietitlebar.exe" "$two/build/windows-release/ietitlebar.exe" ||
        fail "the programs differ"
    files=$(cd "$one/dist" && find . -type f | sort)
    for file in $files; do
        cmp "$one/dist/$file" "$two/dist/$file" || fail "$file differs"
    done
    echo "two copies, the same bytes: ietitlebar.exe and $(echo "$files" | tr '\n' ' ')"

    # A release that fails once it is under way leaves the earlier one as
    # it was; a folder with more than a release in it is not replaced.
    sums() { (cd "$1" && find . -type f -exec sha256sum {} + | sort); }
    before=$(sums "$one/dist")
    # shellcheck disable=SC2016 # release.sh's own words
    sed -i 's|"$1/$(kit_zip)"$|"$1/missing.zip"|' "$one/packaging/release.sh"
    ! (cd "$one" && scripts/package.sh) >"$work/late.log" 2>&1 || fail "a failed release exited 0"
    [ "$(sums "$one/dist")" = "$before" ] || fail "a failed release changed the earlier one"
    [ -z "$(find "$one" -maxdepth 1 -name '.dist.*')" ] || fail "a failed release left its stage"
    echo mine >"$one/dist/notes.txt"
    ! (cd "$one" && scripts/package.sh) >"$work/other.log" 2>&1 || fail "a foreign file was replaced"
    grep -q 'more than an earlier release' "$work/other.log" && [ -f "$one/dist/notes.txt" ] ||
        { cat "$work/other.log"; fail "the foreign file was not kept"; }
    echo "a failed release and a folder with another file leave dist as it was"
    rm -rf "$dist"
    ;;
uncommitted)
    # A release is refused from a checkout with a change that is not
    # committed, before anything is built.
    rm -rf "$dist"
    copy_tree "$dist"
    git -C "$dist" init -q
    git -C "$dist" add -A
    git -C "$dist" -c user.name=test -c user.email=test@example.invalid commit -qm tree
    # A changed file that git tracks, then a new one it does not.
    for change in "README.md" "src/new.cpp"; do
        git -C "$dist" checkout -q -- .
        echo changed >>"$dist/$change"
        if (cd "$dist" && scripts/package.sh) >"$work/dirty.log" 2>&1; then
            fail "a release was made from a checkout with a changed $change"
        fi
        grep -q 'not committed' "$work/dirty.log" || { cat "$work/dirty.log"; fail "no clear message"; }
        [ ! -e "$dist/dist" ] && [ ! -e "$dist/build" ] || fail "a refused release left something behind"
        rm -f "$dist/src/new.cpp"
    done
    echo "a checkout with a changed or a new file makes no release"
    rm -rf "$dist"
    ;;
archive)
    # What `git archive` gives (a release's source tarball, a hosting's
    # "Download ZIP") knows its commit's time and configures without git.
    [ -e "$top/.git" ] || { echo "not a git checkout: nothing to archive"; exit 0; }
    rm -rf "$dist"
    mkdir -p "$dist"
    git -C "$top" archive HEAD | tar -x -C "$dist"
    [ ! -e "$dist/.git" ] || fail "the archive holds .git"
    [ "$(env -u SOURCE_DATE_EPOCH "$dist/packaging/source-date-epoch.sh")" = \
        "$(git -C "$top" log -1 --format=%ct HEAD)" ] || fail "the archive has another time"
    (cd "$dist" && cmake --preset windows-release >"$work/configure.log" 2>&1) ||
        { cat "$work/configure.log"; fail "the archive does not configure"; }
    echo "the archive of HEAD dates itself $(git -C "$top" log -1 --format=%ct HEAD) and configures"
    rm -rf "$dist"
    ;;
*)
    fail "unknown check $check"
    ;;
esac
