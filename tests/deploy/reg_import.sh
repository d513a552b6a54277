#!/bin/sh
# The example .reg file imports with `reg import` in the test prefix, and the
# tool then reads back the title the file names.
#   reg_import.sh REG_FILE PROGRAM
set -eu
here=$(dirname "$0")
run="$here/../../cmake/wine-run.sh"
reg_file=$1
program=$2
key='HKCU\Software\Microsoft\Internet Explorer\Main'

expected=$(iconv -f UTF-16 -t UTF-8 "$reg_file" | tr -d '\r' |
    sed -n 's/^"Window Title"="\(.*\)"$/\1/p')
[ -n "$expected" ] || { echo "no Window Title in $reg_file" >&2; exit 1; }

"$run" reg delete "$key" /v 'Window Title' /f >/dev/null 2>&1 || true
"$run" reg import "$(winepath -w "$reg_file" 2>/dev/null)"
actual=$("$run" "$program" /get | tr -d '\r')
"$run" reg delete "$key" /v 'Window Title' /f >/dev/null 2>&1 || true

if [ "$actual" != "$expected" ]; then
    echo "imported title: '$actual', the file says: '$expected'" >&2
    exit 1
fi
echo "imported and read back: $actual"
