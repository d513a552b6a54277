#!/bin/sh
# Prints the one time stamp that every part of a release carries:
# SOURCE_DATE_EPOCH when it is set, otherwise the time of the commit that
# the checkout stands at.
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
if ! git -C "$top" log -1 --format=%ct 2>/dev/null; then
    echo "source-date-epoch.sh: $top is not a git checkout with a commit, so the release has no" \
        "time of its own; set SOURCE_DATE_EPOCH to it (seconds since 1970)" >&2
    exit 1
fi
