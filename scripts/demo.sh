#!/usr/bin/env bash
# A sale becomes a ticket: builds, installs the programs into build/stage, starts the local central
# server and Mostrador on a private X server with stored credentials, clicks the sales page's print
# button and shows what Ticketera printed. Screenshots, port bytes, PDFs and logs go to the folder
# given as the first argument (a new one under /tmp otherwise).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cmake --build build --target sale-demo
cmake --install build --prefix build/stage >/dev/null
out=${1:-$(mktemp -d /tmp/zelvora-demo.XXXXXX)}
echo "== the demo's pictures, bytes and logs go to $out"
build/tests/demo/sale-demo "$out"
