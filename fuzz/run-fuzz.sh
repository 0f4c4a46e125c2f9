#!/usr/bin/env bash
# Fuzzes packet-file loading for SECONDS seconds: builds the fuzz preset (clang, libFuzzer, ASan and
# UBSan), writes a seed corpus of real packet files (from data/samples/*.json and the seed writer),
# runs the fuzzer on it and prints what it did and found.
#
# Usage: fuzz/run-fuzz.sh SECONDS
# Output: build/fuzz/corpus (the grown corpus, kept between runs), build/fuzz/findings (inputs that
# crashed, leaked or timed out), build/fuzz/fuzz.log (the fuzzer's own log).
set -euo pipefail
seconds=${1:?usage: fuzz/run-fuzz.sh SECONDS}
cd "$(dirname "$0")/.."

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target PacketLoadFuzzer PacketSeedWriter -- -j2

build=build/fuzz
seeds=$build/seeds
corpus=$build/corpus
findings=$build/findings
mkdir -p "$seeds" "$corpus" "$findings"
shopt -s nullglob
"$build/fuzz/PacketSeedWriter" "$seeds" data/samples/*.json
for packet in data/samples/*.Dat; do cp "$packet" "$seeds/"; done
echo "seed corpus: $(ls "$seeds" | wc -l) packet files in $seeds"

set +e
"$build/fuzz/PacketLoadFuzzer" "$corpus" "$seeds" \
    -max_total_time="$seconds" -dict=fuzz/packet.dict -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$findings/" -print_final_stats=1 2>&1 | tee "$build/fuzz.log" |
    grep --line-buffered -E "INITED|DONE|ERROR|SUMMARY|stat::|Test unit written"
status=${PIPESTATUS[0]}
set -e

echo "ran for ${seconds}s: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$build/fuzz.log" | tail -1)"
echo "coverage at the end: $(grep -E '^#[0-9]+' "$build/fuzz.log" | tail -1)"
echo "corpus: $(ls "$corpus" | wc -l) inputs in $corpus"
found=$(ls "$findings" | wc -l)
echo "findings: $found in $findings"
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then exit 1; fi
