#!/usr/bin/env bash
# Builds the deployment benchmark from the release preset and runs it: the engine and its raw-SQLite
# floor deploy packets of 1,000 and 10,000 entries into a fresh demo account and into one grown to
# 100,000 function details, then a table gives entries per second, the engine/floor ratio, the
# journal's share of the engine's time (paired runs with and without the journal, in turns: median and
# range) and the time per entry in the fresh and the grown catalogue.
# Then JournalBench: an undo of 10,000 nodes against its floor, and the history of 10,000 runs.
# About a minute on two cores.
#
# Usage: bench/run-deploy-bench.sh [DeploymentBench options], for example
#     bench/run-deploy-bench.sh --language=CHS --benchmark_filter='/1000/'
# The preset builds in build/release; ORVA_BENCH_BUILD_DIR=<folder> builds the same configuration in
# another folder (to stay clear of a build someone else is running). Account copies go to $TMPDIR
# (default /tmp): put it on the disk the accounts will live on, as commits and checkpoints write there.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -n "${ORVA_BENCH_BUILD_DIR:-}" ]]; then
    build=$ORVA_BENCH_BUILD_DIR
    cmake --preset release -B "$build" >/dev/null
    cmake --build "$build" --target DeploymentBench JournalBench -j 2
else
    build=build/release
    cmake --preset release >/dev/null
    cmake --build --preset release --target DeploymentBench JournalBench -j 2
fi
"$build/bench/DeploymentBench" --benchmark_color=false "$@"
"$build/bench/JournalBench" --benchmark_color=false
