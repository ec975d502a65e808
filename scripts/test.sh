#!/usr/bin/env bash
# Builds everything from scratch and runs every test: plain, then under
# AddressSanitizer + UndefinedBehaviorSanitizer, then each fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-2}
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
OUT=build/test

rm -rf "$OUT"
echo "== plain build and tests"
cmake -S . -B "$OUT/plain" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$OUT/plain" -j"$JOBS"
ctest --test-dir "$OUT/plain" -j"$JOBS" --output-on-failure

echo "== sanitizer build and tests"
cmake -S . -B "$OUT/sanitize" -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DCORVANE_BENCH=OFF
cmake --build "$OUT/sanitize" -j"$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$OUT/sanitize" -j"$JOBS" --output-on-failure

if ls fuzz/fuzz_*.cpp >/dev/null 2>&1; then
  echo "== fuzz targets (${FUZZ_SECONDS}s each)"
  CXX=clang++ cmake -S . -B "$OUT/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_TESTS=OFF \
    -DCORVANE_BENCH=OFF -DCORVANE_SANITIZE=ON -DCORVANE_FUZZ=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
  cmake --build "$OUT/fuzz" -j"$JOBS"
  for src in fuzz/fuzz_*.cpp; do
    name=$(basename "$src" .cpp)
    corpus="$OUT/fuzz/corpus-$name"
    mkdir -p "$corpus"
    seeds=()
    [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
    "$OUT/fuzz/fuzz/$name" -max_total_time="$FUZZ_SECONDS" -timeout=10 -print_final_stats=1 \
      "$corpus" "${seeds[@]}"
  done
fi
echo "== all tests passed"
