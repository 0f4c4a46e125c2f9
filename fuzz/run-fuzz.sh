#!/usr/bin/env bash
# Fuzzes one untrusted input for SECONDS seconds: builds the fuzz preset (clang, libFuzzer, ASan and
# UBSan), writes a seed corpus, runs the fuzzer on it and prints what it did and found.
#
# Usage: fuzz/run-fuzz.sh SECONDS [TARGET]
#   TARGET  packet (the default): packet-file loading, seeds from data/samples/*.json and *.Dat
#           play: --play scripts (both dialogs' step parsing), seeds docs/examples and data/samples
#           pack: pack's JSON packet sets, seeds data/samples/packet-set.json
#           info: deploy --info's deployment information, seeds data/samples/deploy-info.json
# Inputs kept from earlier findings (fuzz/regressions/TARGET) join the seeds of every run.
# Output: build/fuzz/TARGET/corpus (the grown corpus, kept between runs), build/fuzz/TARGET/findings
# (inputs that crashed, leaked or timed out), build/fuzz/TARGET/fuzz.log (the fuzzer's own log).
set -euo pipefail
seconds=${1:?usage: fuzz/run-fuzz.sh SECONDS [packet|play|pack|info]}
target=${2:-packet}
cd "$(dirname "$0")/.."

case "$target" in
    packet) fuzzer=PacketLoadFuzzer dict=fuzz/packet.dict max_len=65536 ;;
    play) fuzzer=PlayScriptFuzzer dict=fuzz/json.dict max_len=16384 ;;
    pack) fuzzer=PackInputFuzzer dict=fuzz/json.dict max_len=65536 ;;
    info) fuzzer=DeployInfoFuzzer dict=fuzz/json.dict max_len=16384 ;;
    *) echo "unknown target: $target (packet, play, pack or info)" >&2; exit 2 ;;
esac

cmake --preset fuzz >/dev/null
build=build/fuzz
if [ "$target" = packet ]; then
    cmake --build --preset fuzz --target PacketLoadFuzzer PacketSeedWriter -- -j2
else
    cmake --build --preset fuzz --target "$fuzzer" -- -j2
fi

work=$build/$target
seeds=$work/seeds
corpus=$work/corpus
findings=$work/findings
mkdir -p "$seeds" "$corpus" "$findings"
shopt -s nullglob
case "$target" in
    packet)
        "$build/fuzz/PacketSeedWriter" "$seeds" data/samples/*.json
        for packet in data/samples/*.Dat; do cp "$packet" "$seeds/"; done ;;
    play)
        for script in docs/examples/*-play.json data/samples/*-play.json; do
            cp "$script" "$seeds/$(basename "$(dirname "$script")")-$(basename "$script")"
        done ;;
    pack) cp data/samples/packet-set.json "$seeds/" ;;
    info) cp data/samples/deploy-info.json "$seeds/" ;;
esac
for kept in fuzz/regressions/"$target"/*; do cp "$kept" "$seeds/regression-$(basename "$kept")"; done
echo "seed corpus: $(ls "$seeds" | wc -l) inputs in $seeds"

set +e
"$build/fuzz/$fuzzer" "$corpus" "$seeds" \
    -max_total_time="$seconds" -dict="$dict" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$findings/" -print_final_stats=1 2>&1 | tee "$work/fuzz.log" |
    grep --line-buffered -E "INITED|DONE|ERROR|SUMMARY|stat::|Test unit written"
status=${PIPESTATUS[0]}
set -e

echo "ran for ${seconds}s: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$work/fuzz.log" | tail -1)"
echo "coverage at the end: $(grep -E '^#[0-9]+' "$work/fuzz.log" | tail -1)"
echo "corpus: $(ls "$corpus" | wc -l) inputs in $corpus"
found=$(ls "$findings" | wc -l)
echo "findings: $found in $findings"
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then exit 1; fi
