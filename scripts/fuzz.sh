#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DZELVORA_FUZZ=ON -DZELVORA_TESTS=OFF -DTICKETERA_LOG_GENERAL=OFF -DTICKETERA_LOG_MILESTONE=OFF >/dev/null
cmake --build build-fuzz --target fuzz_print_string | grep -v "^\[" || true
corpus=$(mktemp -d)
cp tests/fuzz/corpus/* "$corpus/"
build-fuzz/tests/fuzz/fuzz_print_string -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -rss_limit_mb=2048 "$corpus" 2>&1 | tail -n 3
rm -rf "$corpus"
