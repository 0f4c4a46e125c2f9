#!/usr/bin/env bash
# Builds the benchmarks optimised (build/bench, Release) and runs the packet-file benchmark: Save and
# Load of 10,000 entries per language against plain JSON and against parsing the bytes only, then
# prints the ratios (Load / parse-only time, peak memory of Load / file size).
#
# Usage: bench/run-bench.sh [Google Benchmark options, e.g. --benchmark_repetitions=5]
# The temporary files go to $TMPDIR (default /tmp); Save syncs them, so the disk behind it counts.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVA_BUILD_TESTS=OFF -DORVA_BUILD_BENCH=ON \
    -DORVA_SANITIZE=OFF >/dev/null
cmake --build "$build" --target PacketFileBench -- -j2
"$build/bench/PacketFileBench" --benchmark_min_time=1 "$@"
