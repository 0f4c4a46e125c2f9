#!/usr/bin/env bash
# Runs a host example against this build: registers the library in a registry in a temporary folder
# (ORVA_REGISTRY), creates a demo account and the sample packet file with orva-deploy, then runs the
# host (the remaining arguments) on them and checks that it deployed and printed the message list;
# the same packet deployed a second time must report every function as present, not create it again.
# Usage: run-example.sh SOURCE_DIR BINARY_DIR HOST [HOST_ARGS...]
set -euo pipefail
source_dir=$1
binary_dir=$2
shift 2
tool="$binary_dir/bin/orva-deploy"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
export ORVA_REGISTRY="$folder/registry"

"$tool" register >/dev/null
"$tool" init --catalog "$folder/account.db" --demo >/dev/null
"$tool" pack "$source_dir/data/samples/packet-set.json" -o "$folder/DeployFunction.Dat" >/dev/null

"$@" "$folder/DeployFunction.Dat" "$folder/account.db" EN >"$folder/first.txt"
cat "$folder/first.txt"
grep -q "DeployToLumoMain returned True" "$folder/first.txt"
# One line per created or refused node, before the result line.
[ "$(wc -l <"$folder/first.txt")" -gt 1 ]

"$@" "$folder/DeployFunction.Dat" "$folder/account.db" EN >"$folder/second.txt"
# What the second run reports differs from the first: the functions are there now.
! cmp -s "$folder/first.txt" "$folder/second.txt"

# A registry without the entry: the host fails with the loader's clear error, and exits 1.
rm "$ORVA_REGISTRY"/*.entry
if "$@" "$folder/DeployFunction.Dat" "$folder/account.db" EN 2>"$folder/error.txt"; then
    echo "run-example.sh: the host succeeded without a registry entry" >&2
    exit 1
fi
grep -q "OrvaClassDeploy.clsDeploywizard is not registered" "$folder/error.txt"
echo "run-example.sh: passed"
