#!/bin/sh
# Writes a release's bill of materials: an SPDX 2.3 document in JSON that
# names the program, the release's zip and installers with their SHA-256,
# and every component the program links statically, each with its version,
# supplier and licence and a STATIC_LINK relationship from the program.
#
#   spdx.sh OUT VERSION PROGRAM LINKMAP FILE...
#
# PROGRAM is the program as released (signed, when the release is), LINKMAP
# the GNU linker's map of its link, FILE the zip and the MSIs. The time is
# SOURCE_DATE_EPOCH and the namespace is made from the version and the
# hashes, so the same release gives the same document.
set -eu
out=$1
version=$2
program=$3
map=$4
shift 4
here=$(cd "$(dirname "$0")" && pwd)
: "${SOURCE_DATE_EPOCH:?spdx.sh needs SOURCE_DATE_EPOCH}"

sha256() { sha256sum "$1" | cut -d ' ' -f 1; }
sha1() { sha1sum "$1" | cut -d ' ' -f 1; }
# An SPDX identifier of any name: letters, digits, '.' and '-' only.
id() { echo "SPDXRef-$(echo "$1" | tr -c 'A-Za-z0-9.\n' '-')"; }

# One package: $1 name, $2 file, $3 purpose, $4 declared licence, $5
# copyright, $6 the lines that come last (none when empty).
file_package() {
    cat <<JSON
    {
      "name": "$1",
      "SPDXID": "$(id "$1")",
      "versionInfo": "$version",
      "supplier": "Organization: Tavrelin",
      "downloadLocation": "NOASSERTION",
      "filesAnalyzed": false,
      "packageFileName": "$(basename "$2")",
      "checksums": [
        { "algorithm": "SHA1", "checksumValue": "$(sha1 "$2")" },
        { "algorithm": "SHA256", "checksumValue": "$(sha256 "$2")" }
      ],
      "licenseConcluded": "$4",
      "licenseDeclared": "$4",
      "copyrightText": "$5",
      "primaryPackagePurpose": "$3"
    },
JSON
}

relationship() {
    printf '    { "spdxElementId": "%s", "relationshipType": "%s", "relatedSpdxElement": "%s" },\n' \
        "$1" "$2" "$3"
}

components=$("$here/third-party-notices.sh" components "$map")
[ -n "$components" ] || { echo "spdx.sh: the link map names no component" >&2; exit 1; }
namespace=$( (echo "ietitlebar $version" && sha256 "$program" && for file; do sha256 "$file"; done) |
    sha256sum | cut -c 1-32)
program_id=$(id ietitlebar.exe)

{
    cat <<JSON
{
  "spdxVersion": "SPDX-2.3",
  "dataLicense": "CC0-1.0",
  "SPDXID": "SPDXRef-DOCUMENT",
  "name": "ietitlebar-$version",
  "documentNamespace": "https://tavrelin.example.com/ietitlebar/spdx/ietitlebar-$version-$namespace",
  "creationInfo": {
    "created": "$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%dT%H:%M:%SZ)",
    "creators": [ "Organization: Tavrelin", "Tool: ietitlebar-packaging-spdx.sh-$version" ]
  },
  "packages": [
JSON
    file_package ietitlebar.exe "$program" APPLICATION MIT "Copyright (c) 2026 Tavrelin"
    for file; do
        case $file in
        *.zip) purpose=ARCHIVE ;;
        *) purpose=INSTALL ;;
        esac
        file_package "$(basename "$file")" "$file" "$purpose" NOASSERTION NOASSERTION
    done
    echo "$components" | while IFS='|' read -r name package debian arch licence maker files; do
        cat <<JSON
    {
      "name": "$name",
      "SPDXID": "$(id "$name")",
      "versionInfo": "$debian",
      "supplier": "Organization: Debian",
      "originator": "Organization: $maker",
      "downloadLocation": "NOASSERTION",
      "filesAnalyzed": false,
      "licenseConcluded": "NOASSERTION",
      "licenseDeclared": "$licence",
      "copyrightText": "NOASSERTION",
      "comment": "From the Debian package $package; the program holds parts of $files.",
      "externalRefs": [
        {
          "referenceCategory": "PACKAGE-MANAGER",
          "referenceType": "purl",
          "referenceLocator": "pkg:deb/debian/$package@$(echo "$debian" | sed 's/+/%2B/g')?arch=$arch&distro=debian-12"
        }
      ],
      "primaryPackagePurpose": "LIBRARY"
    },
JSON
    done
    cat <<JSON
  ],
  "hasExtractedLicensingInfos": [
    {
      "licenseId": "LicenseRef-public-domain",
      "name": "Public domain",
      "extractedText": "The files concerned are in the public domain: their authors placed them there, and they may be used for any purpose without restriction."
    }
  ],
  "relationships": [
JSON
    for file; do
        relationship SPDXRef-DOCUMENT DESCRIBES "$(id "$(basename "$file")")"
        relationship "$(id "$(basename "$file")")" CONTAINS "$program_id"
    done
    echo "$components" | cut -d '|' -f 1 | while read -r name; do
        relationship "$program_id" STATIC_LINK "$(id "$name")"
    done
    echo "  ]"
    echo "}"
} | awk '
    # JSON allows no comma before a closing bracket: drop the one each
    # list of objects above ends with.
    NR > 1 && /^ *[]}]/ && held ~ /},$/ { sub(/,$/, "", held) }
    NR > 1 { print held }
    { held = $0 }
    END { print held }' >"$out"
