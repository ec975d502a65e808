#!/usr/bin/env bash
# Builds everything from scratch and runs every test: plain, then under
# AddressSanitizer + UndefinedBehaviorSanitizer, then each fuzz target for a bounded time,
# and last the checks on the league's simulator (RCSS3D_HOME, or rcssserver3d on PATH),
# one at a time; without a server each of those reports itself skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-2}
FUZZ_SECONDS=${FUZZ_SECONDS:-30}
OUT=build/test
STAGE_START=$(date +%s)

stage() {
    local now
    now=$(date +%s)
    [ -z "${STAGE_NAME:-}" ] || echo "== stage time: $STAGE_NAME $((now - STAGE_START)) s"
    STAGE_NAME=$1
    STAGE_START=$now
    [ "$1" = end ] || echo "== $1"
}

rm -rf "$OUT"
stage "plain build and tests"
cmake -S . -B "$OUT/plain" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$OUT/plain" -j"$JOBS"
ctest --test-dir "$OUT/plain" -j"$JOBS" -LE realserver --output-on-failure

stage "sanitizer build and tests"
cmake -S . -B "$OUT/sanitize" -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DCORVANE_BENCH=OFF
cmake --build "$OUT/sanitize" -j"$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$OUT/sanitize" -j"$JOBS" -LE realserver --output-on-failure

if ls fuzz/fuzz_*.cpp >/dev/null 2>&1; then
  stage "fuzz targets (${FUZZ_SECONDS}s each)"
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

# Physics in real time: last, alone, so that nothing else takes the cores. A run is noisy
# on a shared machine (a late answer is a missed cycle), so a failed check runs again, up to
# three runs; every run prints its figures.
stage "real-server checks (${RCSS3D_HOME:-rcssserver3d on PATH})"
ctest --test-dir "$OUT/plain" -L '^realserver$' -j1 -V --repeat until-pass:3
stage end
echo "== all tests passed"
