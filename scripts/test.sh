#!/usr/bin/env bash
# Builds and runs every test: the full build (core, GUI headless, CLI), then
# the core libraries again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/deps.sh"
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== Build and test =="
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" --parallel "$jobs"
ctest --test-dir "$here/build" --output-on-failure --parallel "$jobs" --timeout 300

echo "== Core under AddressSanitizer and UndefinedBehaviorSanitizer =="
cmake -S "$here" -B "$here/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVANTORA_CORE_ONLY=ON -DVANTORA_SANITIZE=ON -DVANTORA_BENCH=OFF >/dev/null
cmake --build "$here/build-asan" --parallel "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$here/build-asan" --output-on-failure --parallel "$jobs" --timeout 600
