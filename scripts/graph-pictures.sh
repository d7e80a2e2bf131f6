#!/usr/bin/env bash
# Draws graphs for looking at them: the three modes with 3 and 20 channels at
# 800x600 and 1600x1000, from the sample site ("Office 101", 3 of its
# channels) and the largest location (20 channels, 65,535 records); limit
# lines in each mode (the paint store against the NIOSH set), legends in
# Single Y and Strip Graph, comparisons over time and elapsed hours, a
# three-day log's date labels, the smallest window size, and an SVG drawing
# rasterised with rsvg-convert beside the PNG of the same graph; and the
# graph window: the readout, a hidden series, View Statistics, Compare.
# Output: <build>/graph-pictures/*.png (default build: build/).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
out=$build/graph-pictures
export QT_QPA_PLATFORM=offscreen TZ=Europe/Berlin

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel 2 --target vantora test_gui_graph
rm -rf "$out"
mkdir -p "$out/site"
vantora=$build/bin/vantora
"$vantora" make-sample "$out/site" >/dev/null
VANTORA_GRAPH_PICTURES=$out XDG_CONFIG_HOME=$(mktemp -d) \
  "$build/bin/test_gui_graph" --gtest_filter='GraphPictures.*:GraphWindowTest.Pictures' >/dev/null
graph() { "$vantora" graph "$@" 2>/dev/null; }

for mode in single multi strip; do
  for size in 800x600 1600x1000; do
    graph "$out/site/Office 101.loc" --y 0,1,2 --mode "$mode" --size "$size" \
      -o "$out/office-3ch-$mode-$size.png"
    graph "$out/largest.loc" --mode "$mode" --size "$size" -o "$out/largest-20ch-$mode-$size.png"
  done
  # Limit lines, with the legends of every mode.
  graph "$out/site/Paint Store.loc" --mode "$mode" --legend --limit-lines \
    --set "Workplace (NIOSH REL)" -o "$out/limits-paint-store-$mode.png"
  graph "$out/three-days.loc" --mode "$mode" --legend --limit-lines --size 300x200 \
    -o "$out/limits-three-days-$mode-300x200.png"
done
graph "$out/site/Office 101.loc" --legend -o "$out/legend-office-single.png"
graph "$out/site/Office 101.loc" --mode strip --legend -o "$out/legend-office-strip.png"
# Comparing locations: the sample site's temperatures (the boiler room in
# degrees Fahrenheit, converted) over the time of day and from each start.
graph "$out"/site/*.loc --y temp -o "$out/compare-temperature.png"
graph "$out"/site/*.loc --y temp --elapsed -o "$out/compare-temperature-elapsed.png"
graph "$out"/site/*.loc --y CO2 --limit-lines -o "$out/compare-co2-limits.png"
# Three days: the date on the time axes.
graph "$out/three-days.loc" --legend -o "$out/days-single.png"
graph "$out/three-days.loc" --mode strip --size 1600x1000 -o "$out/days-strip-1600x1000.png"
# SVG, rasterised at the same size beside the PNG.
graph "$out/site/Office 101.loc" --mode multi --limit-lines -o "$out/svg-office-multi.svg" \
  -o "$out/svg-office-multi.png"
if command -v rsvg-convert >/dev/null; then
  rsvg-convert -w 800 -h 600 -b white -o "$out/svg-office-multi-rsvg.png" \
    "$out/svg-office-multi.svg"
fi
ls "$out"/*.png
