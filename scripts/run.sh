#!/usr/bin/env bash
# Builds everything, writes the sample site and opens it.
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
echo "== Channels of the sample site =="
for f in "$site"/*.loc; do
  echo "-- $(basename "$f")"
  "$bin/vantora" info "$f"
done
echo
echo "== Statistics of Office 101 =="
"$bin/vantora" stats "$site/Office 101.loc" | iconv -f WINDOWS-1252 -t UTF-8
