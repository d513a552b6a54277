#!/bin/sh
# Prints the one time stamp that every part of a release carries:
# SOURCE_DATE_EPOCH when it is set; otherwise the time of the commit that a
# git checkout stands at; otherwise, in a source archive made by
# `git archive` (a release's source tarball, a hosting's "Download ZIP"),
# the commit time that git wrote into packaging/commit-time.
set -eu
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    case $SOURCE_DATE_EPOCH in
    *[!0-9]*)
        echo "source-date-epoch.sh: SOURCE_DATE_EPOCH must be seconds since 1970, not '$SOURCE_DATE_EPOCH'" >&2
        exit 1
        ;;
    esac
    echo "$SOURCE_DATE_EPOCH"
    exit 0
fi
top=$(cd "$(dirname "$0")/.." && pwd)
if [ -e "$top/.git" ] && git -C "$top" log -1 --format=%ct 2>/dev/null; then
    exit 0
fi
# export-subst in .gitattributes makes `git archive` fill it in.
archived=$(cat "$top/packaging/commit-time" 2>/dev/null || true)
case $archived in
'' | *[!0-9]*)
    echo "source-date-epoch.sh: $top is neither a git checkout nor an archive made by" \
        "'git archive', so the release has no time of its own; set SOURCE_DATE_EPOCH to the" \
        "commit's time (seconds since 1970)" >&2
    exit 1
    ;;
esac
echo "$archived"
