#!/usr/bin/env bash
# Builds the publish dialog's benchmark from the release preset and runs it on the offscreen platform:
# the dialog's load with a subsystem of 1,000, 2,000 and 5,000 class types (and a fifth as many
# reports), and the user's tick of the "Bill" group with 250, 500 and 1,000 bill types of five actions
# each, each against filling the same Qt widgets directly. The table at the end gives each step's time,
# the dialog/floor ratio and the time per object, how that time grows with the count, and whether the
# goal (within 3x of the floor, flat per object) holds. A few seconds on two cores. Exit status 3
# when the goal does not hold.
#
# Usage: bench/run-promu-bench.sh [PromuBench options], for example
#     bench/run-promu-bench.sh --language=CHS --benchmark_filter='Tick'
# The preset builds in build/release; ORVA_BENCH_BUILD_DIR=<folder> builds the same configuration in
# another folder. The account goes to $TMPDIR (default /tmp).
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -n "${ORVA_BENCH_BUILD_DIR:-}" ]]; then
    build=$ORVA_BENCH_BUILD_DIR
    cmake --preset release -B "$build" >/dev/null
    cmake --build "$build" --target PromuBench -j 2
else
    build=build/release
    cmake --preset release >/dev/null
    cmake --build --preset release --target PromuBench -j 2
fi
QT_QPA_PLATFORM=offscreen "$build/bench/PromuBench" --benchmark_color=false "$@"
