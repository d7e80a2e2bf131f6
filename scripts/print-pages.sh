#!/usr/bin/env bash
# Renders printed location reports to PNG pages for looking at them:
# the 3- and 20-channel reports of the print tests and every location of the
# sample site. Output: <build>/print-pages/*.png (default build: build/).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
out=$build/print-pages
export QT_QPA_PLATFORM=offscreen TZ=Europe/Berlin

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel 2 --target vantora test_print
rm -rf "$out"
mkdir -p "$out/site"
VANTORA_PRINT_PAGES=$out "$build/bin/test_print" --gtest_filter='PrintReportTest.*Channels*' >/dev/null
"$build/bin/vantora" make-sample "$out/site" >/dev/null
for loc in "$out"/site/*.loc; do
  name=$(basename "$loc" .loc)
  "$build/bin/vantora" print "$loc" -o "$out/sample-${name// /-}.pdf" 2>/dev/null
done
for pdf in "$out"/*.pdf; do
  pdftoppm -r 60 -png "$pdf" "${pdf%.pdf}"
done
ls "$out"/*.png
