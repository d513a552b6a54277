#!/bin/sh
# The Windows Installer validation rules (ICEs) that apply to the package's
# scope, per user or per machine (ALLUSERS=1), read from its own tables.
# Wine's msiexec forgives what Windows Installer refuses, or leaves behind on
# removal.
#
#   msi_rules.sh PACKAGE.msi
#
# Prints the scope and a line for each rule, and exits 1 when any is broken.
# shellcheck disable=SC2317 # the rules' functions are called by name, from the table
set -eu
msi=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Each table as tab-separated rows, without its three lines of header. The
# export writes a table's binary streams (the Icon table's) into a folder
# of the table's name in the current directory: a scratch folder of their
# own.
msi=$(cd "$(dirname "$msi")" && pwd)/$(basename "$msi")
mkdir "$work/streams"
for table in Component Directory File Registry RemoveFile Shortcut Upgrade LaunchCondition \
    Property InstallExecuteSequence Icon FeatureComponents; do
    (cd "$work/streams" && msiinfo export "$msi" "$table") | tail -n +4 | tr -d '\r' >"$work/$table"
done
msiinfo suminfo "$msi" >"$work/summary"
if grep -qx 'ALLUSERS	1' "$work/Property"; then scope=machine; else scope=user; fi

# Directory, then the standard folder it lies in, for every directory.
awk -F '\t' '{ parent[$1] = $2 }
    END {
        for (d in parent) {
            root = d
            while (parent[root] != "" && parent[root] != "TARGETDIR") root = parent[root]
            print d "\t" root
        }
    }' "$work/Directory" >"$work/roots"
# The folders of the user's profile; the Start menu and desktop folders,
# which are all users' in a per-machine package but which the ICEs take for
# the user's whatever ALLUSERS says; and the machine's own.
profile="LocalAppDataFolder AppDataFolder PersonalFolder FavoritesFolder NetHoodFolder PrintHoodFolder RecentFolder SendToFolder TemplateFolder MyPicturesFolder"
shared="ProgramMenuFolder StartMenuFolder DesktopFolder StartupFolder"
machine="ProgramFilesFolder ProgramFiles64Folder CommonFilesFolder CommonFiles64Folder CommonAppDataFolder SystemFolder System64Folder WindowsFolder WindowsVolume"
# Every directory, its kind as the ICEs judge it, and its kind in the
# package's scope; user or machine.
awk -F '\t' -v profile="$profile" -v shared="$shared" -v machine="$machine" -v scope="$scope" '
    BEGIN { n = split(profile, p, " "); for (i = 1; i <= n; i++) { ice[p[i]] = "user"; own[p[i]] = "user" }
            n = split(shared, s, " "); for (i = 1; i <= n; i++) { ice[s[i]] = "user"; own[s[i]] = scope }
            n = split(machine, m, " "); for (i = 1; i <= n; i++) { ice[m[i]] = "machine"; own[m[i]] = "machine" } }
    { print $1 "\t" ice[$2] "\t" own[$2] }' "$work/roots" >"$work/folder-kinds"
# Components and their folders' kinds, both ways.
awk -F '\t' 'FNR == NR { ice[$1] = $2; own[$1] = $3; next } { print $1 "\t" ice[$3] "\t" own[$3] }' \
    "$work/folder-kinds" "$work/Component" >"$work/component-kinds"
# Each component and the ICEs' kind of every folder it puts something in:
# its own, and its shortcuts'.
awk -F '\t' 'FILENAME ~ /folder-kinds$/ { ice[$1] = $2; next }
    FILENAME ~ /Component$/ { print $1 "\t" ice[$3]; next }
    { print $4 "\t" ice[$2] }' "$work/folder-kinds" "$work/Component" "$work/Shortcut" |
    sort -u >"$work/component-places"

# ICE03's Filename rule: each file, folder and shortcut name is an 8.3 name,
# or SHORT|long with SHORT an 8.3 name and long free of \ ? | > < : / * ".
ice03() {
    short='[^][\\?|><:/*"+,;=. ]'
    { cut -f 3 "$work/File"; cut -f 3 "$work/Directory" | sed 's/:.*//'; cut -f 3 "$work/Shortcut"; } |
        grep -vx -e . -e SourceDir >"$work/names" || true
    status=0
    grep -Ev "^$short{1,8}(\\.$short{1,3})?(\\|[^\\\\?|><:/*\"]+)?\$" "$work/names" >"$work/bad" ||
        status=$?
    [ "$status" -le 1 ] || { echo "  the names could not be read"; return 1; }
    sed 's/^/  /' "$work/bad"
    [ ! -s "$work/bad" ]
}

# ICE38: a component that puts anything in the user's profile or Start
# menu keeps its key path in a per-user registry value (HKCU, Root 1),
# never a file.
ice38() {
    awk -F '\t' 'FILENAME ~ /Registry$/ { root[$1] = $2; next }
        FILENAME ~ /component-places$/ { if ($2 == "user") user[$1] = 1; next }
        user[$1] && (int($4) % 8 < 4 || root[$6] != "1") { print "  " $1; bad = 1 }
        END { exit bad }' "$work/Registry" "$work/component-places" "$work/Component"
}

# ICE64: every folder the package makes in the user's profile has a
# RemoveFile row that removes it (no file name) on uninstall.
ice64() {
    awk -F '\t' 'FILENAME ~ /RemoveFile$/ { if ($3 == "" && ($5 == 2 || $5 == 3)) removed[$4] = 1; next }
        FILENAME ~ /folder-kinds$/ { kind[$1] = $2; next }
        $3 != "." && $1 != "TARGETDIR" && kind[$1] == "user" && !removed[$1] { print "  " $1; bad = 1 }
        END { exit bad }' "$work/RemoveFile" "$work/folder-kinds" "$work/Directory"
}

# ICE57: no component mixes per-user resources (the user's profile and
# Start menu, HKCU) with per-machine ones (machine folders, HKLM and HKCR).
ice57() {
    awk -F '\t' 'FILENAME ~ /component-places$/ { seen[$1] = 1; user[$1] += $2 == "user"
            machine[$1] += $2 == "machine"; next }
        { if ($2 == "1") user[$6] = 1; if ($2 == "0" || $2 == "2") machine[$6] = 1 }
        END {
            for (c in seen) if (user[c] && machine[c]) { print "  " c; bad = 1 }
            exit bad
        }' "$work/component-places" "$work/Registry"
}

# ICE43: a shortcut that is not advertised, in the user's profile or Start
# menu, keeps its component's key path in a per-user registry value.
ice43() {
    awk -F '\t' 'FILENAME ~ /Registry$/ { root[$1] = $2; next }
        FILENAME ~ /Component$/ { attributes[$1] = $4; key[$1] = $6; next }
        FILENAME ~ /folder-kinds$/ { kind[$1] = $2; next }
        $5 ~ /^\[/ && kind[$2] == "user" && (int(attributes[$4]) % 8 < 4 || root[key[$4]] != "1") {
            print "  " $1; bad = 1 }
        END { exit bad }' "$work/Registry" "$work/Component" "$work/folder-kinds" "$work/Shortcut"
}

# ICE21: every component belongs to a feature, or nothing installs it.
ice21() {
    awk -F '\t' 'FILENAME ~ /FeatureComponents$/ { featured[$2] = 1; next }
        !featured[$1] { print "  " $1; bad = 1 }
        END { exit bad }' "$work/FeatureComponents" "$work/Component"
}

# ICE91, read strictly: a per-user package never sets ALLUSERS and puts
# nothing into a folder of the machine's; a per-machine one sets ALLUSERS=1
# and puts nothing into a folder of a user's profile, where only the user
# who installed it would find it. Unlike the other rules, it reads the
# scope: the Start menu is then all users'.
ice91() {
    if [ "$scope" = user ]; then
        ! grep -q '^ALLUSERS	' "$work/Property" || { echo "  ALLUSERS is set"; return 1; }
        other=machine
    else
        other=user
    fi
    ! awk -F '\t' -v other="$other" '$3 == other { print "  " $1; found = 1 } END { exit !found }' \
        "$work/component-kinds"
}

# The summary information: a 64-bit English package, compressed (Word Count
# bit 2), with a package code in the form Windows Installer requires; a
# per-user package asks for no elevation (bit 8), a per-machine one does.
summary() {
    grep -qx 'Template: x64;1033' "$work/summary" || { echo "  Template"; return 1; }
    words=$(sed -n 's/^Source: \([0-9]*\).*/\1/p' "$work/summary")
    if [ "$scope" = user ]; then wanted=10; else wanted=2; fi
    [ $((words & 10)) -eq "$wanted" ] || { echo "  Word Count $words"; return 1; }
    grep -Eqx 'Revision number \(UUID\): \{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\}' \
        "$work/summary" || { echo "  package code"; return 1; }
}

# The Upgrade table refuses a downgrade (a newer version found stops the
# install) and removes older versions.
upgrade() {
    version=$(sed -n 's/^ProductVersion	//p' "$work/Property")
    newer=$(awk -F '\t' -v v="$version" '$2 == v && int($5) % 4 >= 2 { print $7 }' "$work/Upgrade")
    [ -n "$newer" ] && grep -q "NOT $newer" "$work/LaunchCondition" ||
        { echo "  no downgrade refused"; return 1; }
    awk -F '\t' -v v="$version" '$3 == v && int($5) % 4 < 2 && int($5) % 1024 < 512 { found = 1 }
        END { exit !found }' "$work/Upgrade" || { echo "  older versions stay"; return 1; }
    grep -q '^RemoveExistingProducts	' "$work/InstallExecuteSequence" ||
        { echo "  RemoveExistingProducts is not sequenced"; return 1; }
}

# What Apps & features shows: the product's icon, links, and no Modify or
# Repair.
apps() {
    for property in ARPPRODUCTICON ARPURLINFOABOUT ARPHELPLINK; do
        grep -q "^$property	." "$work/Property" || { echo "  no $property"; return 1; }
    done
    grep -qx 'ARPNOMODIFY	1' "$work/Property" && grep -qx 'ARPNOREPAIR	1' "$work/Property" ||
        { echo "  Modify or Repair offered"; return 1; }
    icon=$(sed -n 's/^ARPPRODUCTICON	//p' "$work/Property")
    grep -q "^$icon	" "$work/Icon" || { echo "  no icon $icon"; return 1; }
}

echo "scope   $scope"
broken=0
while read -r rule check what; do
    if output=$($check 2>&1); then
        echo "ok      $rule $what"
    else
        echo "BROKEN  $rule $what"
        [ -z "$output" ] || echo "$output"
        broken=1
    fi
done <<'RULES'
ICE03 ice03 file, folder and shortcut names are 8.3 or SHORT|long
ICE21 ice21 every component belongs to a feature
ICE38 ice38 components with anything in the user's profile or Start menu keep their key path in HKCU
ICE64 ice64 every folder made in the user's profile is removed
ICE57 ice57 no component mixes per-user (the Start menu too) and per-machine resources
ICE43 ice43 shortcuts in the user's profile or Start menu keep their key path in HKCU
ICE91 ice91 ALLUSERS as the scope asks, nothing of the other scope
Summary summary x64;1033, compressed, elevation as the scope asks, package code
Upgrade upgrade downgrades refused, older versions removed
Apps apps icon, links, no Modify or Repair
RULES
exit "$broken"
