#!/usr/bin/env bash
# Draws the sample site's survey report for looking at it: the PDF and its
# pages as PNG, and the workbook with its first pages as LibreOffice prints
# them (when LibreOffice is installed). The paint store gets a text note, two
# events and a photo first, so that every section shows something.
# Output: <build>/report-pages/ (default build: build/).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
out=$build/report-pages
export QT_QPA_PLATFORM=offscreen TZ=Europe/Berlin

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel 2 --target vantora
rm -rf "$out"
mkdir -p "$out/site"
"$build/bin/vantora" make-sample "$out/site" >/dev/null

store="$out/site/Paint Store"
printf 'Spray booth door left open during both coats.\r\nExtraction fan B out of order (tag 4471).\r\n' >"$store.txt"
# Events: marker 100, hour, minute, second, 0, day, month, year, length, text.
/usr/bin/python3 - "$store.evt" <<'EOF'
import struct, sys
with open(sys.argv[1], "wb") as f:
    for h, m, text in ((9, 0, b"First coat started"), (13, 0, b"Second coat started")):
        f.write(bytes([100, h, m, 0, 0, 11, 3]) + struct.pack("<HH", 2026, len(text)) + text)
EOF
"$build/bin/vantora" graph "$store.loc" --size 640x480 -o "${store}_photo1.png" >/dev/null 2>&1

"$build/bin/vantora" report "$out/site" -o "$out/site.pdf" -o "$out/site.xlsx"
pdftoppm -r 80 -png "$out/site.pdf" "$out/page"
if command -v libreoffice >/dev/null 2>&1; then
  libreoffice -env:UserInstallation="file://$out/lo" --headless --convert-to pdf \
    --outdir "$out/workbook" "$out/site.xlsx" >/dev/null 2>&1 || true
  if [ -f "$out/workbook/site.pdf" ]; then
    pdftoppm -r 60 -png -l 8 "$out/workbook/site.pdf" "$out/workbook"
  fi
  rm -rf "$out/lo"
else
  echo "libreoffice is not installed: the workbook is not drawn" >&2
fi
ls "$out"/*.png
