#!/usr/bin/env bash
# Installs the programs into a temporary directory and prints the two worked example tickets
# on a port mapped to a file, then shows what reached the port and the log.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
demo=$(mktemp -d /tmp/zelvora-demo.XXXXXX)
cmake --install build --prefix "$demo/app" >/dev/null
mkdir -p "$demo/work"
cat > "$demo/app/Ticketera.ini" <<INI
[PRINTER_CONFIG]
PRINTER=
GENERICTEXTONLY=0
PAPER=
LOGO=
IMPRIMIRPUERTO=1
PUERTOIMPRESION=COM1
[PORTS]
COM1=$demo/port.txt
INI

export ZELVORA_TEMP_DIR="$demo/work"
examples=(
  'ZVR:LIB&2&1&1&12345678901234567890&0&&1RECARGA%20MOVIL&0Importe%3A%2010%2C00&0Gracias'
  'ZVR:LIB&3&0&0&&0&&1TICKET%20A&1%5Cn%5Cn%5Cn%5Cx1D%5Cx56%5Cx01TICKET%20B&0fin'
)
for url in "${examples[@]}"; do
  echo "== Ticketera $url"
  "$demo/app/Ticketera" "$url"
  echo "-- bytes on the port (the file holds the job's last ticket):"
  od -An -c "$demo/port.txt"
done
echo "== $ZELVORA_TEMP_DIR/Ticketera.log"
iconv -f WINDOWS-1252 -t UTF-8 "$ZELVORA_TEMP_DIR/Ticketera.log"

echo "== the report route: worked example 1 through the 7 cm template, rendered to a picture"
QT_QPA_PLATFORM=offscreen build/tools/ticket-preview --app "$demo/app" --paper 1 --trim --edge \
  "$demo/ticket-7cm.png" "${examples[0]}" >/dev/null 2>&1
echo "   $demo/ticket-7cm.png"
echo "== installed in $demo/app"
