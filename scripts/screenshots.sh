#!/usr/bin/env bash
# Pictures of VantoraPC with a location of the sample site open, at 800x600
# and 1600x1000, and of the About box, into build/screenshots/ (not kept in
# the repository). Drawn off screen; needs no display.
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
ls -l "$shots"
