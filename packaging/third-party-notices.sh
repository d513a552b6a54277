#!/bin/sh
# What the program's link took from the toolchain, as packaging/third-party.txt
# names it, from the GNU linker's map (-Wl,-Map) and the copyright files that
# Debian installs with each toolchain package:
#
#   third-party-notices.sh linked MAP          the toolchain's files the link
#                                              took, one path a line
#   third-party-notices.sh components MAP      one line a component that the
#                                              link took from: name|package|
#                                              version|architecture|licence|
#                                              maker|files
#   third-party-notices.sh notices MAP OUT     THIRD-PARTY-NOTICES.txt (CR LF)
#
# A toolchain upgrade changes the versions and texts with it. Every failure
# exits non-zero and leaves OUT as it was: a linked file that no row of
# third-party.txt names, one that no Debian package owns, a component
# without its copyright file.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
table=$here/third-party.txt
action=$1
map=$2

fail() {
    echo "third-party-notices.sh: $*" >&2
    exit 1
}
[ -r "$map" ] || fail "cannot read the link map '$map'"

# The archives whose members the link took, and the objects it loaded, from
# outside the build: what the toolchain put into the program.
linked() {
    awk '/^Archive member included/ { members = 1; next }
        members && /^(Discarded|Memory|Allocating)/ { members = 0 }
        members && /^\// { sub(/\(.*/, ""); print }
        /^LOAD \/usr\/.*\.o$/ { print $2 }' "$map" |
        while read -r path; do readlink -f "$path"; done | sort -u
}

rows() {
    grep -v '^#' "$table" | grep .
}

# name|package|version|architecture|licence|maker|files, for each row the
# link took from.
components() {
    linked >"$work/linked"
    [ -s "$work/linked" ] || fail "the link map '$map' names no file of the toolchain"
    # shellcheck disable=SC2046 # one argument a path; none holds a blank
    dpkg -S $(cat "$work/linked") >"$work/dpkg" 2>"$work/dpkg.err" ||
        fail "no Debian package owns some linked files: $(cat "$work/dpkg.err")"
    sed 's/^\([^:]*\): /\1 /' "$work/dpkg" >"$work/owners"
    rows >"$work/rows"
    while IFS='|' read -r name package patterns licence maker parts; do
        files=""
        while read -r owner path; do
            [ "$owner" = "$package" ] || continue
            base=$(basename "$path")
            for pattern in $patterns; do
                # shellcheck disable=SC2254 # the row's patterns are globs
                case $base in $pattern) files="$files $base" && break ;; esac
            done
        done <"$work/owners"
        [ -n "$files" ] || continue
        version=$(dpkg-query -W -f='${Version}|${Architecture}' "$package") ||
            fail "dpkg-query knows no package $package"
        echo "$name|$package|$version|$licence|$maker|${files# }"
    done <"$work/rows"
}

# Every linked file that no component took.
unnamed() {
    components >"$work/components"
    cut -d '|' -f 7 "$work/components" | tr ' ' '\n' | sort -u >"$work/named"
    while read -r path; do
        grep -qx "$(basename "$path")" "$work/named" || echo "$path"
    done <"$work/linked"
}

# The parts of a copyright file that a row names (see third-party.txt).
copyright_parts() {
    file=/usr/share/doc/$1/copyright
    [ -r "$file" ] || fail "no copyright file for $1 at $file"
    echo "$2" | tr ';' '\n' >"$work/parts"
    while read -r kind first second; do
        case $kind in
        files) dep5_files "$first" "$file" ;;
        lines) awk -v from="$first" -v to="$second" \
            '!on && $0 ~ from { on = 1 } on && $0 ~ to && $0 !~ from { exit } on' "$file" ;;
        *) fail "unknown part '$kind' in $table" ;;
        esac
        echo
    done <"$work/parts"
}

# The paragraphs of a machine-readable copyright file whose Files field
# starts with a match of $1, each file list cut to its first entry, then the
# licence texts that they name without giving.
dep5_files() {
    awk -v select="$1" 'BEGIN { RS = ""; FS = "\n" }
        $1 ~ /^License: / && NF > 1 { text[substr($1, 10)] = $0; next }
        $1 ~ /^Files: / && substr($1, 8) ~ select {
            more = 0
            for (i = 2; i <= NF && $i ~ /^[ \t]/; i++) more++
            print $1 (more ? " (and " more " more)" : "")
            for (; i <= NF; i++) {
                print $i
                if ($i ~ /^License: / && (i == NF || $(i + 1) !~ /^[ \t]/)) {
                    n = split(substr($i, 10), names, / (and|or) |, /)
                    for (k = 1; k <= n; k++) if (!(names[k] in seen)) { seen[names[k]] = 1; order[++count] = names[k] }
                }
            }
            print ""
        }
        END { for (k = 1; k <= count; k++) if (order[k] in text) print text[order[k]] "\n" }' "$2"
}

notices() {
    version=$(sed -n 's/^project(ietitlebar VERSION \([0-9.]*\).*/\1/p' "$here/../CMakeLists.txt")
    title="Third-party software in ietitlebar $version"
    echo "$title"
    echo "$title" | sed 's/./=/g'
    cat <<'TEXT'

ietitlebar.exe is linked statically with the libraries below, from the
MinGW-w64 cross toolchain of Debian. Each is named with the Debian package and
version it came from, the files of it that the program holds, and its
licence; the texts that follow each are from that package's copyright file.
The GNU General Public License that the last two name is at
https://www.gnu.org/licenses/gpl-3.0.txt; its GCC Runtime Library Exception,
given in full below, lets any program carry them under its own licence.
TEXT
    components >"$work/components"
    while IFS='|' read -r name package version architecture licence maker files; do
        echo
        echo "----------------------------------------------------------------------"
        echo "$name, by $maker"
        echo "  Debian package: $package $version ($architecture)"
        echo "  Linked files:   $files"
        echo "  Licence:        $licence"
        echo
        parts=$(grep -F "$name|" "$work/rows" | head -n 1 | cut -d '|' -f 6-)
        copyright_parts "$package" "$parts"
    done <"$work/components"
}

work=$(mktemp -d)
partial=""
trap 'rm -rf "$work" ${partial:+"$partial"}' EXIT
case $action in
linked) linked ;;
components) components ;;
notices)
    out=$3
    missing=$(unnamed)
    [ -z "$missing" ] || fail "no row of $table names these linked files:" "$missing"
    notices >"$work/notices"
    # Beside OUT, then moved over it whole.
    partial=$out.partial
    cat -s "$work/notices" | sed 's/$/\r/' >"$partial"
    mv "$partial" "$out"
    partial=""
    ;;
*) fail "usage: third-party-notices.sh linked|components MAP, or notices MAP OUT" ;;
esac
