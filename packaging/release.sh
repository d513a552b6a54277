# shellcheck shell=sh
# shellcheck disable=SC2154 # version and the installers' codes: release_build
# sets them, from the build's release.env.
# The steps of a release, shared by scripts/package.sh, which makes one, and
# scripts/verify-release.sh, which makes it again to compare. Sourced from
# the top of the checkout, with SOURCE_DATE_EPOCH set; every function stops
# the script on failure.

# Builds the program in Release in the folder $1 and sets version, and the
# product and upgrade codes of both installers (product_code, upgrade_code,
# machine_product_code, machine_upgrade_code).
release_build() {
    cmake --preset windows-release -B "$1" >/dev/null
    # Linked afresh: the link is what takes the time stamp.
    rm -f "$1/ietitlebar.exe"
    cmake --build "$1" --target ietitlebar third_party_notices >/dev/null
    # shellcheck disable=SC1091
    . "$1/release.env"
}

# Copies what the packages hold from the build folder $1 into the folder $2.
release_files() {
    mkdir -p "$2"
    cp "$1/ietitlebar.exe" "$1/generated/LICENSE.txt" "$1/generated/README.txt" \
        "$1/generated/THIRD-PARTY-NOTICES.txt" "$2/"
}

# The zip $1 of the files in the folder $2 (the program's, or the
# administrator's kit's, in folders too): fixed order, modes and dates, no
# folder entries, owner or extra time fields, and its DOS times in UTC.
release_zip() {
    zip_file=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
    (
        cd "$2" || exit
        files=$(find . -type f | sed 's|^\./||' | LC_ALL=C sort)
        # shellcheck disable=SC2086 # a list of names without blanks
        chmod 644 $files
        [ ! -f ietitlebar.exe ] || chmod 755 ietitlebar.exe
        # shellcheck disable=SC2086
        touch -d "@$SOURCE_DATE_EPOCH" $files
        rm -f "$zip_file"
        # shellcheck disable=SC2086
        TZ=UTC zip -X -D -q "$zip_file" $files
    )
}

# The administrator's kit, staged in the folder $1: the template and its
# language files in the layout of PolicyDefinitions, the example .reg file,
# each script the guide quotes, and the guide. The scripts go in as
# Windows keeps them, with CR LF line ends, and hold ASCII alone: a signed
# script's hash is of its bytes, and Windows PowerShell reads a script
# without a byte-order mark in the system's code page.
release_kit_files() {
    mkdir -p "$1/PolicyDefinitions"
    cp deploy/ietitlebar.admx "$1/PolicyDefinitions/"
    for adml in deploy/*/ietitlebar.adml; do
        language=$(basename "$(dirname "$adml")")
        mkdir -p "$1/PolicyDefinitions/$language"
        cp "$adml" "$1/PolicyDefinitions/$language/"
    done
    cp deploy/window-title.reg docs/deployment.md "$1/"
    for script in deploy/*.ps1 deploy/*.bat; do
        if LC_ALL=C grep -q '[^[:print:][:blank:]]' "$script"; then
            echo "release.sh: $script holds a character outside ASCII" >&2
            return 1
        fi
        sed 's/$/\r/' "$script" >"$1/$(basename "$script")"
    done
}

# The name of the administrator's kit.
kit_zip() { echo "ietitlebar-$version-admin.zip"; }

# The names of the release's two installers.
user_msi() { echo "ietitlebar-$version-x64.msi"; }
machine_msi() { echo "ietitlebar-$version-x64-machine.msi"; }

# The MSI $1 of the files in the folder $2, for the scope $3 (user or
# machine). osslsigncode rewrites a package's container when it signs it
# and again when it takes the signature out; the package is written that
# way from the start, so that a signed package less its signature is the
# unsigned one, byte for byte.
release_msi() {
    cmake -DOUTPUT="$1.wixl" -DVERSION="$version" -DSCOPE="$3" -DPROGRAM="$2/ietitlebar.exe" \
        -DLICENSE="$2/LICENSE.txt" -DREADME="$2/README.txt" -DNOTICES="$2/THIRD-PARTY-NOTICES.txt" \
        -P cmake/make-msi.cmake
    # The throwaway key goes with its folder however the subshell ends.
    (
        layout=$(mktemp -d)
        trap 'rm -rf "$layout" "$1.wixl"' EXIT
        trap 'exit 1' HUP INT TERM
        openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=layout -days 1 \
            -keyout "$layout/key.pem" -out "$layout/cert.pem" >/dev/null 2>&1
        osslsigncode sign -certs "$layout/cert.pem" -key "$layout/key.pem" -h sha256 \
            -in "$1.wixl" -out "$layout/signed.msi" >/dev/null
        rm -f "$1"
        osslsigncode remove-signature -in "$layout/signed.msi" -out "$1" >/dev/null
    )
}

# The bill of materials in the folder $1 for its zips and MSIs, of the
# program $3 as released, linked in the build folder $2.
release_spdx() {
    packaging/spdx.sh "$1/ietitlebar-$version.spdx.json" "$version" "$3" "$2/ietitlebar.map" \
        "$1/ietitlebar-$version-win64.zip" "$1/$(user_msi)" "$1/$(machine_msi)" "$1/$(kit_zip)"
}

# SHA256SUMS in the folder $1 for its zips, MSIs and bill of materials.
release_sums() {
    (cd "$1" && sha256sum "ietitlebar-$version-win64.zip" "$(user_msi)" "$(machine_msi)" \
        "$(kit_zip)" "ietitlebar-$version.spdx.json" >SHA256SUMS)
}

# The winget manifests in $1/winget for the MSIs in $1, downloaded from the
# folder at the address $2.
release_winget() {
    hash() { sha256sum "$1" | cut -d ' ' -f 1 | tr a-f A-F; }
    released=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%d)
    mkdir -p "$1/winget"
    for manifest in packaging/winget/*.yaml; do
        sed -e "s|@VERSION@|$version|g" -e "s|@RELEASE_DATE@|$released|g" \
            -e "s|@INSTALLER_URL@|${2%/}/$(user_msi)|g" \
            -e "s|@INSTALLER_SHA256@|$(hash "$1/$(user_msi)")|g" \
            -e "s|@PRODUCT_CODE@|$product_code|g" -e "s|@UPGRADE_CODE@|$upgrade_code|g" \
            -e "s|@MACHINE_INSTALLER_URL@|${2%/}/$(machine_msi)|g" \
            -e "s|@MACHINE_INSTALLER_SHA256@|$(hash "$1/$(machine_msi)")|g" \
            -e "s|@MACHINE_PRODUCT_CODE@|$machine_product_code|g" \
            -e "s|@MACHINE_UPGRADE_CODE@|$machine_upgrade_code|g" \
            "$manifest" >"$1/winget/$(basename "$manifest")"
    done
}
