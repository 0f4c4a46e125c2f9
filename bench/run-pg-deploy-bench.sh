#!/usr/bin/env bash
# Builds the deployment benchmark on PostgreSQL from the release preset and runs it: the engine
# (journaled, in turns with the same run without the journal) and its libpq floor deploy packets of
# 1,000 and 10,000 entries into a fresh demo account on the server and into one grown to 100,000
# function details, then 1, 4 and 8 deployer processes at once (each into its own sub-function) and 8
# into one sub-function; tables give entries per second, the engine/floor ratio, the journal's share
# of the engine's time, the time per entry in the fresh and the grown catalogue, and the throughput in
# total and per process. A few minutes on two cores.
#
# Usage: bench/run-pg-deploy-bench.sh [PgDeployBench options], for example
#     bench/run-pg-deploy-bench.sh --benchmark_filter='/1000/' --no-concurrency
# The server: ORVA_BENCH_POSTGRES (or ORVA_TEST_POSTGRES) names an admin URI of a server to use (the
# benchmark creates and drops its own databases there); when neither is set, the script starts a
# throwaway server with scripts/pg-server in a temporary folder and stops it however the run ends.
# ORVA_BENCH_BUILD_DIR=<folder> builds the release configuration in another folder.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -n "${ORVA_BENCH_BUILD_DIR:-}" ]]; then
    build=$ORVA_BENCH_BUILD_DIR
    cmake --preset release -B "$build" >/dev/null
    cmake --build "$build" --target PgDeployBench -j 2
else
    build=build/release
    cmake --preset release >/dev/null
    cmake --build --preset release --target PgDeployBench -j 2
fi

uri=${ORVA_BENCH_POSTGRES:-${ORVA_TEST_POSTGRES:-}}
if [[ -z "$uri" ]]; then
    server=$(mktemp -d "${TMPDIR:-/tmp}/orva-pg-bench-XXXXXX")
    trap 'scripts/pg-server stop "$server" >/dev/null 2>&1 || true; rm -rf "$server"' EXIT
    uri=$(scripts/pg-server start "$server")
fi
ORVA_BENCH_POSTGRES=$uri "$build/bench/PgDeployBench" --benchmark_color=false "$@"
