#!/bin/sh
# Every shell script of the tree, checked by shellcheck with the tree's
# .shellcheckrc: each file named *.sh, and each whose first line asks for a
# shell. Builds, releases and git's own files are not the tree's.
set -eu
cd "$(dirname "$0")/.."
scripts=$(find . \( -path ./build -o -path ./dist -o -path ./.git \) -prune -o -type f -print |
    while read -r file; do
        case $file in
        *.sh) echo "$file" ;;
        *) if head -n 1 "$file" | grep -Eq '^#!.*[/ ](ba|da)?sh( |$)'; then echo "$file"; fi ;;
        esac
    done | sort)
[ -n "$scripts" ] || { echo "no shell script found" >&2; exit 1; }
# shellcheck disable=SC2086 # one path a word; none holds a blank
shellcheck $scripts
echo "shellcheck: $(echo "$scripts" | wc -l) scripts clean"
