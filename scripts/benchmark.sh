#!/usr/bin/env bash
# Builds in release mode, installs into build/stage and runs every benchmark (executables named
# bench_* under tests/bench/), each printing its figures, then one line per figure with its target
# and whether it was met. Not a test: nothing passes or fails. Run it on a quiet machine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh -DCMAKE_BUILD_TYPE=Release -DZELVORA_BENCHMARKS=ON
cmake --install build --prefix build/stage >/dev/null
figures=$(mktemp)
trap 'rm -f "$figures"' EXIT
for bench in $(find build/tests/bench -type f -name 'bench_*' -executable | sort); do
  echo "== $(basename "$bench")"
  "$bench" "$@" | tee >(grep '^FIGURE' >> "$figures") | grep -v '^FIGURE' || echo "   $(basename "$bench") failed"
done
sleep 1 # the last tee's reader
echo
echo "== Figures and targets (load average $(cut -d' ' -f1-3 /proc/loadavg))"
awk -F'\t' '{
  met = ($5 == "<") ? ($3 < $6) : ($3 <= $6)
  printf "%-70s %10s %-3s  target %s %s  %s\n", $2, $3, $4, $5, $6, met ? "met" : "NOT MET"
}' "$figures"
