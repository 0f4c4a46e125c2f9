#!/usr/bin/env bash
# Builds the branch-export benchmark from the release preset and runs it: branches of 10,000 function
# details exported from a grown demo account, read alone, exported into a packet file, and read by the
# raw-SQLite floor that issues the same statements; a table gives each one's median time and its
# ratio to the floor. A few seconds on two cores.
#
# Usage: bench/run-export-bench.sh [ExportBench options], for example --grown-details=20000
# The preset builds in build/release; ORVA_BENCH_BUILD_DIR=<folder> builds the same configuration in
# another folder. The account and the packet file go to $TMPDIR (default /tmp).
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -n "${ORVA_BENCH_BUILD_DIR:-}" ]]; then
    build=$ORVA_BENCH_BUILD_DIR
    cmake --preset release -B "$build" >/dev/null
    cmake --build "$build" --target ExportBench -j 2
else
    build=build/release
    cmake --preset release >/dev/null
    cmake --build --preset release --target ExportBench -j 2
fi
"$build/bench/ExportBench" --benchmark_color=false "$@"
