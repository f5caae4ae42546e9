#!/usr/bin/env bash
# Builds in release mode, installs into build/stage and runs every benchmark (executables named
# bench_* under tests/bench/), each printing its figures. Not a test: nothing passes or fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh -DCMAKE_BUILD_TYPE=Release
cmake --install build --prefix build/stage >/dev/null
for bench in $(find build/tests/bench -type f -name 'bench_*' -executable | sort); do
  echo "== $(basename "$bench")"
  "$bench" "$@"
done
