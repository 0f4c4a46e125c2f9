#!/usr/bin/env bash
# The library and the program must not need libpq; the PostgreSQL backend module must (so that the
# check is seen to find it where it is). Reads each file's dynamic section with readelf -d.
# Usage: no-libpq-needed.sh LIBRARY PROGRAM MODULE
set -uo pipefail
failed=0
needs_libpq() { readelf -d "$1" | grep -E '\(NEEDED\).*\[libpq\.so'; }
for file in "$1" "$2"; do
    if line=$(needs_libpq "$file"); then
        echo "$file needs libpq: $line" >&2
        failed=1
    fi
done
if ! needs_libpq "$3" >/dev/null; then
    echo "$3 does not need libpq: the check would not see it" >&2
    failed=1
fi
exit $failed
