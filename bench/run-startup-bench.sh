#!/usr/bin/env bash
# Start-up cost of a headless command: `orva-deploy show FILE` (a small packet file) against
# /bin/true, in paired runs (each round runs both, in alternating order, so that load on the machine
# falls on both alike). Prints the median wall time and CPU time (user + system, from the child's own
# resource usage) of each and their ratios, and the shared libraries the program maps.
#
# Usage: bench/run-startup-bench.sh [ROUNDS]   (default 200)
# ORVA_BENCH_BUILD_DIR=<folder> measures another build of the release configuration.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-200}
build=${ORVA_BENCH_BUILD_DIR:-build/release}
if [[ -z "${ORVA_BENCH_BUILD_DIR:-}" ]]; then
    cmake --preset release >/dev/null
    cmake --build --preset release --target orva-deploy -j 2 >/dev/null
fi
tool="$build/bin/orva-deploy"
packet=data/samples/DeployFunction.Dat

echo "shared libraries $tool needs (ldd): $(ldd "$tool" | grep -c '=>')"
python3 - "$rounds" "$tool" "$packet" <<'PY'
import os, statistics, subprocess, sys, time

rounds, tool, packet = int(sys.argv[1]), sys.argv[2], sys.argv[3]
commands = {"/bin/true": ["/bin/true"], "show": [tool, "show", packet]}
wall = {name: [] for name in commands}
cpu = {name: [] for name in commands}

def run(name):
    start = time.perf_counter()
    child = subprocess.Popen(commands[name], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall[name].append(time.perf_counter() - start)
    cpu[name].append(usage.ru_utime + usage.ru_stime)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(commands[name])} failed")

for round in range(rounds):
    order = ["/bin/true", "show"] if round % 2 == 0 else ["show", "/bin/true"]
    for name in order:
        run(name)

for name in commands:
    print(f"{name:10} wall {statistics.median(wall[name]) * 1e3:7.2f} ms   "
          f"cpu {statistics.median(cpu[name]) * 1e3:7.2f} ms (median of {rounds})")
# Paired: the ratio within each round, then the median of those.
wall_ratio = statistics.median(s / t for s, t in zip(wall["show"], wall["/bin/true"]))
cpu_true = statistics.median(cpu["/bin/true"]) or 1e-4
print(f"show / true: wall {wall_ratio:.1f}x (median of paired ratios), "
      f"cpu {statistics.median(cpu['show']) / cpu_true:.1f}x (medians)")
PY
