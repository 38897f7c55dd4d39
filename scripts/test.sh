#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: fuzzers for a bounded time,
# then the QtTest suites in a plain build and under AddressSanitizer + UBSan.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

export QT_QPA_PLATFORM=offscreen
FUZZ_SECONDS="${FUZZ_SECONDS:-20}"

echo "== building (plain)"
configure_and_build "$ROOT_DIR/build/plain" -DCMAKE_BUILD_TYPE=Debug -DLEVELEDITOR_BUILD_BENCH=ON

SAN_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all"
echo "== building (sanitizers)"
configure_and_build "$ROOT_DIR/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DLEVELEDITOR_BUILD_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$SAN_FLAGS" "-DCMAKE_EXE_LINKER_FLAGS=$SAN_FLAGS"

# Optimised code must compile too (the benchmarks run from it): the tests are
# built there as well, so that a construct only an optimising build refuses
# cannot break it unnoticed. Its tests are not run again.
echo "== building (release, with tests and benchmarks)"
configure_and_build "$ROOT_DIR/build/release" -DCMAKE_BUILD_TYPE=Release -DLEVELEDITOR_BUILD_BENCH=ON \
  -DLEVELEDITOR_BUILD_TESTS=ON

echo "== building (fuzz targets, clang)"
FUZZ_FLAGS="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all -fno-omit-frame-pointer -g -O1"
configure_and_build "$ROOT_DIR/build/fuzz" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_COMPILER=clang++ -DLEVELEDITOR_BUILD_TESTS=OFF -DLEVELEDITOR_BUILD_BENCH=OFF \
  -DLEVELEDITOR_BUILD_FUZZ=ON "-DCMAKE_CXX_FLAGS=$FUZZ_FLAGS" "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined"

echo "== fuzzing (${FUZZ_SECONDS}s per target)"
for target in "$ROOT_DIR"/build/fuzz/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name="$(basename "$target")"
  seeds="$ROOT_DIR/tests/fuzz/corpus/${name#fuzz_}"
  work="$(mktemp -d)"
  # A fresh corpus folder per run keeps the repository's seeds untouched.
  if ! ASAN_OPTIONS=halt_on_error=1:detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 "$target" -max_total_time="$FUZZ_SECONDS" \
        -timeout=10 -rss_limit_mb=4096 -print_final_stats=0 "$work" "$seeds" >"$work.log" 2>&1; then
    tail -n 60 "$work.log"
    echo "fuzz target $name failed"
    exit 1
  fi
  echo "$name: $(grep -c . "$work.log") log lines, no crash"
  rm -rf "$work" "$work.log"
done

# Leak detection is off: Qt's offscreen platform and font database keep allocations
# alive until process exit, which LeakSanitizer would report as leaks in every test.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

echo "== tests (plain)"
ctest --test-dir "$ROOT_DIR/build/plain" --output-on-failure -j "$JOBS"
echo "== tests (AddressSanitizer + UndefinedBehaviorSanitizer)"
ctest --test-dir "$ROOT_DIR/build/sanitize" --output-on-failure -j "$JOBS"
