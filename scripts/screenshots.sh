#!/usr/bin/env bash
# Pictures of VantoraPC with a location of the sample site open, at 800x600
# and 1600x1000, at first start on 1280x1024 and 1920x1200 screens, seven
# tiled windows, the Notebook dialog, the About box, and the paint store
# with its exposure window (NIOSH set) and the Exposure Limits dialog, into
# build/screenshots/ (not kept in the repository). Drawn off screen; needs no
# display.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel 2 --target vantora vantora_screenshot vantora_data
bin="$build/bin"
site="$build/sample-site"
shots="$build/screenshots"
mkdir -p "$shots"
"$bin/vantora" make-sample "$site" >/dev/null
# Settings of a fresh user, so that stored window sizes do not matter.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
export XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=offscreen
"$bin/vantora_screenshot" "$shots/vantorapc-800x600.png" 800 600 "$site/Office 101.loc" \
  --about "$shots/about.png" --select-site "$shots/select-site.png"
"$bin/vantora_screenshot" "$shots/vantorapc-1600x1000.png" 1600 1000 "$site/Boiler Room.loc" \
  --tile "$site/Lab 2.loc"
# The paint store and its exposure window on a screen wide enough for the
# table, and the Exposure Limits dialog.
printf '{ "screens": [ { "name": "screen", "x": 0, "y": 0, "width": 1920, "height": 1200, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }\n' \
  >"$config/screen.json"
QT_QPA_PLATFORM="offscreen:configfile=$config/screen.json" \
  "$bin/vantora_screenshot" "$shots/paint-store.png" 1400 900 "$site/Paint Store.loc" \
  --exposure "$shots/exposure.png" --exposure-set "Workplace (NIOSH REL)" \
  --limits "$shots/exposure-limits.png"
# First start (no stored window) on screens of two sizes: the whole screen.
for size in 1280x1024 1920x1200; do
  w=${size%x*} h=${size#*x}
  printf '{ "screens": [ { "name": "screen", "x": 0, "y": 0, "width": %s, "height": %s, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }\n' \
    "$w" "$h" >"$config/screen.json"
  rm -rf "$config/Halvorn"
  QT_QPA_PLATFORM="offscreen:configfile=$config/screen.json" \
    "$bin/vantora_screenshot" "$shots/first-start-$size.png" 0 0 "$site/Office 101.loc"
done
# Seven location windows tiled in a 1280x1024 main window, and the Notebook
# dialog with the templates hint.
rm -rf "$config/Halvorn"
seven=()
for n in 1 2 3 4 5 6; do
  cp "$site/Office 101.loc" "$site/Room $n.loc"
  seven+=("$site/Room $n.loc")
done
"$bin/vantora_screenshot" "$shots/seven-tiled.png" 1280 1024 "$site/Office 101.loc" \
  --notebook "$shots/notebook.png" --tile "${seven[@]}"
ls -l "$shots"
