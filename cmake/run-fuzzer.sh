#!/bin/sh
# Runs a libFuzzer target and prints only its closing lines (the number of
# runs and the final stats), or its last lines and the crash on failure.
log=$(mktemp)
"$@" >"$log" 2>&1
status=$?
if [ "$status" -eq 0 ]; then
    grep -E '^(Done|stat::)|INFO: (Seed|Loaded)' "$log"
else
    tail -n 60 "$log"
fi
rm -f "$log"
exit "$status"
