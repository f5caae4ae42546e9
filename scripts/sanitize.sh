#!/usr/bin/env bash
# The second test command. Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/ and runs every test there, then builds the threaded parts (the log, the
# settings and registry writes, the HTTP client and the address refresh thread) with
# ThreadSanitizer into build-tsan/ and runs their tests.
#   bash scripts/sanitize.sh [address|thread] [ctest argument...]
# A first argument "address" or "thread" runs that half alone; the rest go to ctest, e.g. -R Ticketera.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=both
if [ "${1-}" = address ] || [ "${1-}" = thread ]; then
  mode=$1
  shift
fi

if [ "$mode" != thread ]; then
  cmake -S . -B build-asan -G Ninja -DZELVORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build-asan
  (
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    cd build-asan && ctest --output-on-failure -j2 --timeout 900 "$@"
  )
fi

if [ "$mode" != address ]; then
  # Only the programs whose own threads share state: the log, the settings file and the registry
  # store written by several threads and processes, the address refresh thread beside the
  # start-up, the HTTP client, and the print run. The windows and the browser run no thread of
  # ours, and Qt WebEngine's Chromium cannot run under ThreadSanitizer.
  targets=(common_tests server_tests serverlink_tests ticketera_tests log_writer ini_writer central-server)
  cmake -S . -B build-tsan -G Ninja -DZELVORA_SANITIZE_THREAD=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build-tsan --target "${targets[@]}"
  # Their tests, by suite name; the other programs of that build are never built.
  suites=$(for t in common/common_tests server/server_tests server/serverlink_tests ticketera/ticketera_tests; do
             "build-tsan/tests/$t" --gtest_list_tests | grep -E '^[A-Za-z0-9_]+\.$' | tr -d '.'
           done | paste -sd '|')
  (
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp"
    cd build-tsan && ctest --output-on-failure -j2 --timeout 900 -R "^($suites)\\." "$@"
  )
fi
