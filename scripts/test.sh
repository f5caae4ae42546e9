#!/usr/bin/env bash
# Builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
# Most tests wait on servers, browsers and devices rather than compute: three at a time on two cores.
(cd build && ctest --output-on-failure -j3 --timeout 600)
