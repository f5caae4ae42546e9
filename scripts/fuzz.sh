#!/usr/bin/env bash
# Builds the libFuzzer targets (ASan + UBSan) with clang into build-fuzz/ and runs each for the
# given number of seconds, from its seed corpus tests/fuzz/corpus/<name>:
#   bash scripts/fuzz.sh [SECONDS] [NAME...]     (default 20 s each; all targets without names)
# Prints one line per target: executions, coverage (cov, ft), corpus size, crashes. A crashing
# input lands in build-fuzz/fuzz-crashes/<name>/ and the script ends with status 1.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DZELVORA_FUZZ=ON -DZELVORA_TESTS=OFF -DTICKETERA_LOG_GENERAL=OFF -DTICKETERA_LOG_MILESTONE=OFF >/dev/null
cmake --build build-fuzz --target fuzz_targets | grep -v "^\[" || true

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for dir in tests/fuzz/corpus/*/; do
    name=$(basename "$dir")
    [ -x "build-fuzz/tests/fuzz/fuzz_$name" ] && names+=("$name")
  done
fi

export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=0
printf '%-17s %10s %7s %7s %6s %s\n' target executions cov ft corpus crashes
for name in "${names[@]}"; do
  # The run's own corpus grows from the seeds; the seeds in the repository stay as they are.
  corpus=build-fuzz/fuzz-corpus/$name
  crashes=build-fuzz/fuzz-crashes/$name
  log=build-fuzz/fuzz-logs/$name.log
  rm -rf "$corpus"
  mkdir -p "$corpus" "$crashes" "$(dirname "$log")"
  cp tests/fuzz/corpus/"$name"/* "$corpus"/
  status=0
  "build-fuzz/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" >"$log" 2>&1 || status=$?
  done_line=$(grep -E '^#[0-9]+ +DONE' "$log" | tail -n 1 || true)
  [ -n "$done_line" ] || done_line=$(grep -E '^#[0-9]+ .*cov: ' "$log" | tail -n 1 || true)
  field() { sed -nE "s/.*$1: ([0-9]+).*/\\1/p" <<<"$done_line"; }
  runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1/p' "$log" | tail -n 1)
  found=$(find "$crashes" -type f | wc -l)
  printf '%-17s %10s %7s %7s %6s %s\n' "$name" "${runs:-?}" "$(field cov)" "$(field ft)" "$(field corp)" "$found"
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    grep -E "^(==[0-9]+==ERROR|SUMMARY|.*runtime error)" "$log" | head -n 5 || true
    echo "  log: $log, inputs: $crashes/"
  fi
done
exit $failed
