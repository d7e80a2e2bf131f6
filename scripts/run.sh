#!/usr/bin/env bash
# Builds everything, writes the sample site and opens one of its locations in
# VantoraPC. Without a display ($DISPLAY and $WAYLAND_DISPLAY empty) the
# program runs on a virtual X display (Xvfb) for VANTORA_RUN_SECONDS seconds
# (default 20), and a picture of its main window is saved.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/deps.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" --parallel "$(nproc)"
bin="$here/build/bin"
site="$here/build/sample-site"
"$bin/vantora" make-sample "$site" >/dev/null
echo "Sample site written to $site"
echo
echo "== Statistics of Office 101 =="
"$bin/vantora" stats "$site/Office 101.loc" | iconv -f WINDOWS-1252 -t UTF-8
echo

location="$site/Office 101.loc"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "== Starting VantoraPC on $location =="
  exec "$bin/VantoraPC" "$location"
fi

seconds=${VANTORA_RUN_SECONDS:-20}
echo "== No display: running VantoraPC on a virtual X display (Xvfb) for ${seconds} s =="
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" timeout "$seconds" "$bin/VantoraPC" "$location" || status=$?
if [ "$status" -ne 0 ] && [ "$status" -ne 124 ]; then
  echo "VantoraPC failed (exit status $status)" >&2
  exit "$status"
fi
echo "VantoraPC ran for ${seconds} s with $location open and was closed."
shots="$here/build/screenshots"
mkdir -p "$shots"
config=$(mktemp -d)
XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=offscreen \
  "$bin/vantora_screenshot" "$shots/run.png" 1024 700 "$location" 2>/dev/null
rm -rf "$config"
echo "A picture of its main window: $shots/run.png"
