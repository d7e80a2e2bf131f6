#!/usr/bin/env bash
# Draws graphs for looking at them: the three modes with 3 and 20 channels at
# 800x600 and 1600x1000, from the sample site ("Office 101", 3 of its
# channels) and the largest location (20 channels, 65,535 records); and the
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
"$build/bin/vantora" make-sample "$out/site" >/dev/null
VANTORA_GRAPH_PICTURES=$out XDG_CONFIG_HOME=$(mktemp -d) \
  "$build/bin/test_gui_graph" --gtest_filter='GraphPictures.*:GraphWindowTest.Pictures' >/dev/null
for mode in single multi strip; do
  for size in 800x600 1600x1000; do
    "$build/bin/vantora" graph "$out/site/Office 101.loc" --y 0,1,2 --mode "$mode" \
      --size "$size" -o "$out/office-3ch-$mode-$size.png" 2>/dev/null
    "$build/bin/vantora" graph "$out/largest.loc" --mode "$mode" --size "$size" \
      -o "$out/largest-20ch-$mode-$size.png" 2>/dev/null
  done
done
ls "$out"/*.png
