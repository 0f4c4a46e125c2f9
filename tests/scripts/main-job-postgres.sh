#!/usr/bin/env bash
# scripts/run --postgres against the build under test: the main job on a throwaway PostgreSQL server,
# started and stopped by the script itself, must end with status 0 and print exactly what the same
# job prints on a SQLite file, apart from the account's name in the first section.
# Usage: main-job-postgres.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir="$1"
build_dir="$2"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

"$source_dir/scripts/run" --build-dir "$build_dir" >"$folder/file.txt" 2>"$folder/file.err" ||
    { echo "main job on a file failed" >&2; cat "$folder/file.err" >&2; exit 1; }
"$source_dir/scripts/run" --build-dir "$build_dir" --postgres >"$folder/server.txt" 2>"$folder/server.err" ||
    { echo "main job on a server failed" >&2; cat "$folder/server.txt" "$folder/server.err" >&2; exit 1; }

grep -q "^=== A demo account in postgresql://" "$folder/server.txt" ||
    { echo "the --postgres run did not use a server account" >&2; cat "$folder/server.txt" >&2; exit 1; }
# The first three lines name the account (header, blank line, "Created account database ..."); the
# journal's times, the packet's folder and the undo's dry-run line name what differs between two runs.
same() {
    tail -n +4 "$1" | sed -E -e 's/[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z/TIME/g' \
        -e 's#  [^ ]*/DeployFunction\.Dat#  DeployFunction.Dat#' -e 's/^Dry run on .* in a transaction/Dry run in a transaction/'
}
if ! diff <(same "$folder/file.txt") <(same "$folder/server.txt") >"$folder/diff.txt"; then
    echo "the server run printed something else than the file run:" >&2
    cat "$folder/diff.txt" >&2
    exit 1
fi
