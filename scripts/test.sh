#!/usr/bin/env bash
# Builds and runs every test: the full build (core, GUI headless, CLI), then
# the core libraries and the chart renderer again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the fuzz targets for a short bounded time.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/deps.sh"
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== Build and test =="
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" --parallel "$jobs"
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
ctest --test-dir "$here/build" --output-on-failure --parallel "$jobs" --timeout 300 | tee -a "$summary"

echo "== Core and chart renderer under AddressSanitizer and UndefinedBehaviorSanitizer =="
cmake -S "$here" -B "$here/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVANTORA_CORE_ONLY=ON -DVANTORA_CHART_RENDER=ON -DVANTORA_SANITIZE=ON -DVANTORA_BENCH=OFF >/dev/null
cmake --build "$here/build-asan" --parallel "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$here/build-asan" --output-on-failure --parallel "$jobs" --timeout 600 | tee -a "$summary"

echo "== Fuzzing the binary readers and the chart renderer (libFuzzer, clang, leak detection on) =="
# Every tests/fuzz/*.cpp target, each for a short bounded time, starting from
# its seeds in tests/fuzz/corpus/<name> when there are any.
CC=clang CXX=clang++ cmake -S "$here" -B "$here/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTORA_CORE_ONLY=ON -DVANTORA_CHART_RENDER=ON -DVANTORA_FUZZ=ON -DVANTORA_BENCH=OFF \
  -DVANTORA_SANITIZE=ON \
  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$here/build-fuzz" --parallel "$jobs" --target fuzz_targets
for fuzzer in "$here"/build-fuzz/bin/fuzz_*; do
  name=$(basename "$fuzzer")
  [ -f "$here/tests/fuzz/$name.cpp" ] || continue
  work=$(mktemp -d)
  seeds=()
  if [ -d "$here/tests/fuzz/corpus/${name#fuzz_}" ]; then seeds=("$here/tests/fuzz/corpus/${name#fuzz_}"); fi
  echo "$name"
  if ! ASAN_OPTIONS=detect_leaks=1 "$fuzzer" -max_total_time=15 -rss_limit_mb=1024 \
      -artifact_prefix="$work/" "$work" "${seeds[@]}" >"$work.log" 2>&1; then
    tail -40 "$work.log"
    echo "$name found a fault; the input is in $work, the log in $work.log"
    exit 1
  fi
  grep -E '^Done' "$work.log" || true
  rm -rf "$work" "$work.log"
done

# One closing line for every stage: the CTest runs and the fuzz targets.
passed=$(awk '/tests passed, [0-9]+ tests failed out of/ {sum += $NF - $4} END {print sum + 0}' "$summary")
failed=$(awk '/tests passed, [0-9]+ tests failed out of/ {sum += $4} END {print sum + 0}' "$summary")
fuzzed=$(ls "$here"/tests/fuzz/fuzz_*.cpp | wc -l)
echo
echo "test.sh: $((passed + fuzzed)) passed, $failed failed"
