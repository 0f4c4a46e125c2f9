#!/usr/bin/env bash
# Builds the wizard benchmark from the release preset and runs it on the offscreen platform: the
# wizard's load and its cmdSet with 1,000, 2,000 and 5,000 chosen types (and two mixed runs where
# every tenth type is a bill), each against filling the same Qt widgets directly. The table at the end
# gives each step's time, the wizard/floor ratio and the time per chosen type, how that time grows
# with the count, and whether the goal (within 3x of the floor, flat per type) holds. Some ten seconds
# on two cores. Then the wizard opened by orva-deploy on big earlier packet files (wizard --from, the
# dialog played with one cmdCancel): 40,000 entries per language with short names (some 33 MB) and
# 4,000 with names of 250 units (some 30 MB); wall time and peak memory beyond the same command
# without --from, against the goal of 2 s and 5 times the file. Exit status 3 when a goal does not hold.
#
# Usage: bench/run-wizard-bench.sh [--packet] [WizardBench options], for example
#     bench/run-wizard-bench.sh --language=CHS --benchmark_filter='base'
#     bench/run-wizard-bench.sh --packet     # the packet-file cases only
# The preset builds in build/release; ORVA_BENCH_BUILD_DIR=<folder> builds the same configuration in
# another folder. The account goes to $TMPDIR (default /tmp).
set -euo pipefail
cd "$(dirname "$0")/.."

packet_only=0
if [[ "${1:-}" == "--packet" ]]; then
    packet_only=1
    shift
fi
if [[ -n "${ORVA_BENCH_BUILD_DIR:-}" ]]; then
    build=$ORVA_BENCH_BUILD_DIR
    cmake --preset release -B "$build" >/dev/null
    cmake --build "$build" --target WizardBench orva-deploy -j 2
else
    build=build/release
    cmake --preset release >/dev/null
    cmake --build --preset release --target WizardBench orva-deploy -j 2
fi
status=0
if [[ $packet_only == 0 ]]; then
    QT_QPA_PLATFORM=offscreen "$build/bench/WizardBench" --benchmark_color=false "$@" || status=$?
fi

# The packet-file cases: "%e %M" of /usr/bin/time is the wall time and the peak resident set in KiB.
tool=$build/bin/orva-deploy
work=$(mktemp -d "${TMPDIR:-/tmp}/wizard-packet.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$tool" init --catalog "$work/account.db" --demo >/dev/null
echo '[{"click": "cmdCancel"}]' >"$work/cancel.json"
type=$("$tool" types --catalog "$work/account.db" | awk 'NR == 2 { print $1 }')
measure() {  # prints "seconds KiB" of one wizard run, with extra arguments
    QT_QPA_PLATFORM=offscreen /usr/bin/time -o "$work/time.txt" -f "%e %M" "$tool" wizard \
        --catalog "$work/account.db" --type "$type" --play "$work/cancel.json" -o "$work/out.Dat" "$@" \
        >/dev/null 2>&1 || true  # the play cancels: status 1
    tail -n 1 "$work/time.txt"
}
read -r _ empty_kib <<<"$(measure)"
printf '\n%-34s %8s %9s %12s %8s  %s\n' "wizard --from" "file MB" "seconds" "MiB beyond" "x file" "goal (2 s, 5x)"
for case in "40000 7" "4000 250"; do
    read -r entries units <<<"$case"
    bench/make-packet-json.sh "$entries" "$units" "$work/packet.json"
    "$tool" --quiet pack "$work/packet.json" -o "$work/packet.Dat"
    bytes=$(stat -c %s "$work/packet.Dat")
    read -r seconds kib <<<"$(measure --from "$work/packet.Dat")"
    verdict=$(awk -v s="$seconds" -v k="$kib" -v e="$empty_kib" -v b="$bytes" -v name="$entries x $units units" 'BEGIN {
        beyond = (k - e) * 1024; ratio = beyond / b
        printf "%-34s %8.1f %9.2f %12.0f %8.1f  %s\n", name, b / 1e6, s, beyond / 1048576, ratio,
            (s <= 2 && ratio <= 5) ? "holds" : "DOES NOT HOLD" }')
    echo "$verdict"
    [[ $verdict == *"DOES NOT HOLD" ]] && status=3
    rm -f "$work/packet.json" "$work/packet.Dat"
done
exit "$status"
