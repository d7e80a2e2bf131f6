#!/usr/bin/env bash
# Long fuzzing campaigns: builds the libFuzzer targets as scripts/test.sh does
# and runs each for SECONDS (default 300) from its seeds in
# tests/fuzz/corpus/<name>, then prints libFuzzer's final statistics
# (executions, coverage) per target.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]    e.g. scripts/fuzz.sh 600 fuzz_report
#
# FUZZ_BUILD names the build folder (default build-fuzz). New inputs go to a
# scratch corpus; the committed seeds are not touched. A crash stops the
# script with the input and the log kept.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
shift || true
build=${FUZZ_BUILD:-$here/build-fuzz}
jobs=$(nproc)

# FUZZ_SKIP_BUILD=1 runs what is built (for a second campaign beside a first).
if [ -z "${FUZZ_SKIP_BUILD:-}" ]; then
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTORA_CORE_ONLY=ON -DVANTORA_CHART_RENDER=ON -DVANTORA_FUZZ=ON -DVANTORA_BENCH=OFF \
  -DVANTORA_SANITIZE=ON \
  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$build" --parallel "$jobs" --target fuzz_targets
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$here"/tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

for name in "${targets[@]}"; do
  fuzzer="$build/bin/$name"
  [ -x "$fuzzer" ] || { echo "$name: no such target in $build/bin" >&2; exit 2; }
  work=$(mktemp -d)
  seeds=()
  if [ -d "$here/tests/fuzz/corpus/${name#fuzz_}" ]; then seeds=("$here/tests/fuzz/corpus/${name#fuzz_}"); fi
  echo "== $name: $seconds s"
  if ! ASAN_OPTIONS=detect_leaks=1 "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=1024 \
      -print_final_stats=1 -artifact_prefix="$work/" "$work" "${seeds[@]}" >"$work.log" 2>&1; then
    tail -40 "$work.log"
    echo "$name found a fault; the input is in $work, the log in $work.log"
    exit 1
  fi
  # The last status line (cov:, ft:, corp:) and the run totals.
  grep -E '^#[0-9]+' "$work.log" | tail -1
  grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)' \
    "$work.log"
  rm -rf "$work" "$work.log"
done
