#!/usr/bin/env bash
# Builds the wizard benchmark from the release preset and runs it on the offscreen platform: the
# wizard's load and its cmdSet with 1,000, 2,000 and 5,000 chosen types (and two mixed runs where
# every tenth type is a bill), each against filling the same Qt widgets directly. The table at the end
# gives each step's time, the wizard/floor ratio and the time per chosen type, how that time grows
# with the count, and whether the goal (within 3x of the floor, flat per type) holds. Some ten seconds
# on two cores. Exit status 3 when the goal does not hold.
#
# Usage: bench/run-wizard-bench.sh [WizardBench options], for example
#     bench/run-wizard-bench.sh --language=CHS --benchmark_filter='base'
# The preset builds in build/release; ORVA_BENCH_BUILD_DIR=<folder> builds the same configuration in
# another folder. The account goes to $TMPDIR (default /tmp).
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -n "${ORVA_BENCH_BUILD_DIR:-}" ]]; then
    build=$ORVA_BENCH_BUILD_DIR
    cmake --preset release -B "$build" >/dev/null
    cmake --build "$build" --target WizardBench -j 2
else
    build=build/release
    cmake --preset release >/dev/null
    cmake --build --preset release --target WizardBench -j 2
fi
QT_QPA_PLATFORM=offscreen "$build/bench/WizardBench" --benchmark_color=false "$@"
