#!/bin/sh
# Writes a release's bill of materials: an SPDX 2.3 document in JSON that
# names the program, the release's zips and installers with their SHA-256,
# and every component the program links statically, each with its version,
# supplier and licence and a STATIC_LINK relationship from the program.
#
#   spdx.sh OUT VERSION PROGRAM LINKMAP FILE...
#
# PROGRAM is the program as released (signed, when the release is), LINKMAP
# the GNU linker's map of its link, FILE the zips and the MSIs. The time is
# SOURCE_DATE_EPOCH and the namespace is made from the version and the
# hashes, so the same release gives the same document. jq writes every
# value, escaped. A file that cannot be read or hashed, or a link map that
# names no component, stops it with OUT left as it was.
set -eu
out=$1
version=$2
program=$3
map=$4
shift 4
here=$(cd "$(dirname "$0")" && pwd)
: "${SOURCE_DATE_EPOCH:?spdx.sh needs SOURCE_DATE_EPOCH}"

fail() {
    echo "spdx.sh: $*" >&2
    exit 1
}
work=$(mktemp -d)
partial=""
trap 'rm -rf "$work" ${partial:+"$partial"}' EXIT

# "SHA1 SHA256" of a file.
hashes() {
    if [ ! -f "$1" ] || [ ! -r "$1" ]; then fail "cannot read '$1'"; fi
    sha1=$(sha1sum <"$1") || fail "cannot hash '$1'"
    sha256=$(sha256sum <"$1") || fail "cannot hash '$1'"
    echo "${sha1%% *} ${sha256%% *}"
}

# The package of one file: $1 the file, $2 its purpose, $3 its declared
# licence, $4 its copyright. Its SHA-256 also goes into the namespace.
file_package() {
    sums=$(hashes "$1")
    echo "${sums#* }" >>"$work/namespace"
    jq -n --arg name "$(basename "$1")" --arg version "$version" --arg sha1 "${sums% *}" \
        --arg sha256 "${sums#* }" --arg purpose "$2" --arg licence "$3" --arg copyright "$4" '{
        name: $name,
        SPDXID: ("SPDXRef-" + ($name | gsub("[^A-Za-z0-9.]"; "-"))),
        versionInfo: $version,
        supplier: "Organization: Tavrelin",
        downloadLocation: "NOASSERTION",
        filesAnalyzed: false,
        packageFileName: $name,
        checksums: [
          { algorithm: "SHA1", checksumValue: $sha1 },
          { algorithm: "SHA256", checksumValue: $sha256 }
        ],
        licenseConcluded: $licence,
        licenseDeclared: $licence,
        copyrightText: $copyright,
        primaryPackagePurpose: $purpose
      }' >>"$work/packages"
}

# The package of one component: a line of third-party-notices.sh components.
component_package() {
    IFS='|' read -r name package debian arch licence maker files <<LINE
$1
LINE
    jq -n --arg name "$name" --arg package "$package" --arg debian "$debian" --arg arch "$arch" \
        --arg licence "$licence" --arg maker "$maker" --arg files "$files" '{
        name: $name,
        SPDXID: ("SPDXRef-" + ($name | gsub("[^A-Za-z0-9.]"; "-"))),
        versionInfo: $debian,
        supplier: "Organization: Debian",
        originator: ("Organization: " + $maker),
        downloadLocation: "NOASSERTION",
        filesAnalyzed: false,
        licenseConcluded: "NOASSERTION",
        licenseDeclared: $licence,
        copyrightText: "NOASSERTION",
        comment: ("From the Debian package " + $package + "; the program holds parts of "
                  + $files + "."),
        externalRefs: [
          {
            referenceCategory: "PACKAGE-MANAGER",
            referenceType: "purl",
            referenceLocator: ("pkg:deb/debian/" + $package + "@" + ($debian | gsub("[+]"; "%2B"))
                               + "?arch=" + $arch + "&distro=debian-12")
          }
        ],
        primaryPackagePurpose: "LIBRARY"
      }' >>"$work/packages"
}

"$here/third-party-notices.sh" components "$map" >"$work/components"
[ -s "$work/components" ] || fail "the link map names no component"

echo "ietitlebar $version" >"$work/namespace"
file_package "$program" APPLICATION MIT "Copyright (c) 2026 Tavrelin"
for file; do
    case $file in
    *.zip) purpose=ARCHIVE ;;
    *) purpose=INSTALL ;;
    esac
    file_package "$file" "$purpose" NOASSERTION NOASSERTION
done
while read -r line; do
    component_package "$line"
done <"$work/components"
namespace=$(sha256sum <"$work/namespace")
created=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%dT%H:%M:%SZ)

# Beside OUT, then moved over it whole.
partial=$out.partial
jq -n --arg version "$version" --arg namespace "$(echo "$namespace" | cut -c 1-32)" \
    --arg created "$created" --slurpfile packages "$work/packages" '
    ($packages[0].SPDXID) as $program
    | {
        spdxVersion: "SPDX-2.3",
        dataLicense: "CC0-1.0",
        SPDXID: "SPDXRef-DOCUMENT",
        name: ("ietitlebar-" + $version),
        documentNamespace: ("https://tavrelin.example.com/ietitlebar/spdx/ietitlebar-" + $version
                            + "-" + $namespace),
        creationInfo: {
          created: $created,
          creators: ["Organization: Tavrelin", ("Tool: ietitlebar-packaging-spdx.sh-" + $version)]
        },
        packages: $packages,
        hasExtractedLicensingInfos: [
          {
            licenseId: "LicenseRef-public-domain",
            name: "Public domain",
            extractedText: "The files concerned are in the public domain: their authors placed them there, and they may be used for any purpose without restriction."
          }
        ],
        relationships: (
          [$packages[] | select(.primaryPackagePurpose == "ARCHIVE" or .primaryPackagePurpose == "INSTALL")
           | { spdxElementId: "SPDXRef-DOCUMENT", relationshipType: "DESCRIBES", relatedSpdxElement: .SPDXID },
             # The administrator kit holds templates and scripts, not the program.
             (select(.packageFileName | endswith("-admin.zip") | not)
              | { spdxElementId: .SPDXID, relationshipType: "CONTAINS", relatedSpdxElement: $program })]
          + [$packages[] | select(.primaryPackagePurpose == "LIBRARY")
             | { spdxElementId: $program, relationshipType: "STATIC_LINK", relatedSpdxElement: .SPDXID }])
      }' >"$partial"
mv "$partial" "$out"
partial=""
