#!/usr/bin/env bash
# Builds Tonvert and runs every test: the plain build, then the tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)

echo "== Plain build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== Sanitizer build (ASan + UBSan)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTONVERT_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
# Tests that need a display run in the plain build only: X11 and font libraries
# report leaks of their own.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE display

echo "== Fuzzing (each target for 30 s)"
fuzz/run.sh 30
