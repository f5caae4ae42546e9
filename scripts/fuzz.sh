#!/usr/bin/env bash
# Builds the libFuzzer targets (ASan + UBSan) with clang and runs each for the given number of
# seconds, from its seed corpus tests/fuzz/corpus/<name>:
#   bash scripts/fuzz.sh [--build-dir DIR] [--build-only | --no-build] [SECONDS] [NAME...]
# SECONDS per target (default 20); every target when no NAME is given; DIR defaults to build-fuzz.
# Prints one line per target: executions, coverage (cov, ft), corpus size, crashes. A crashing
# input lands in DIR/fuzz-crashes/<name>/ and the script ends with status 1.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build_dir=build-fuzz
build=1
run=1
while [ $# -gt 0 ]; do
  case $1 in
    --build-dir) build_dir=$2; shift 2 ;;
    --build-only) run=0; shift ;;
    --no-build) build=0; shift ;;
    *) break ;;
  esac
done
seconds=${1:-20}
shift || true

if [ $build -eq 1 ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DZELVORA_FUZZ=ON -DZELVORA_TESTS=OFF -DTICKETERA_LOG_GENERAL=OFF -DTICKETERA_LOG_MILESTONE=OFF >/dev/null
  if ! cmake --build "$build_dir" --target fuzz_targets >"$build_dir/fuzz-build.log" 2>&1; then
    tail -n 40 "$build_dir/fuzz-build.log"
    exit 1
  fi
fi
[ $run -eq 1 ] || exit 0

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for dir in tests/fuzz/corpus/*/; do
    name=$(basename "$dir")
    [ -x "$build_dir/tests/fuzz/fuzz_$name" ] && names+=("$name")
  done
fi

export LSAN_OPTIONS="suppressions=$source_dir/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# One figure of libFuzzer's last status line ("#N<tab>DONE   cov: 632 ft: 1697 corp: 152/17Kb ...").
field() { sed -nE "s/.*[[:space:]]$1: ([0-9]+).*/\\1/p" <<<"$2"; }
failed=0
printf '%-17s %10s %7s %7s %6s %s\n' target executions cov ft corpus crashes
for name in "${names[@]}"; do
  # The run's own corpus grows from the seeds; the seeds in the repository stay as they are.
  corpus=$build_dir/fuzz-corpus/$name
  crashes=$build_dir/fuzz-crashes/$name
  log=$build_dir/fuzz-logs/$name.log
  rm -rf "$corpus" "$crashes"
  mkdir -p "$corpus" "$crashes" "$(dirname "$log")"
  status=0
  "$build_dir/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" tests/fuzz/corpus/"$name" >"$log" 2>&1 || status=$?
  last=$(grep -E '^#[0-9]+[[:space:]].*cov: ' "$log" | tail -n 1 || true)
  runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1/p' "$log" | tail -n 1)
  found=$(find "$crashes" -type f | wc -l)
  printf '%-17s %10s %7s %7s %6s %s\n' "$name" "${runs:-?}" "$(field cov "$last")" "$(field ft "$last")" \
    "$(field corp "$last")" "$found"
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    grep -E "^(==[0-9]+==ERROR|SUMMARY|.*runtime error)" "$log" | head -n 5 || true
    echo "  log: $log, inputs: $crashes/"
  fi
done
exit $failed
