#!/usr/bin/env bash
# Builds Tonvert and runs every test: the plain build, then the tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the Windows build's tests
# under wine; the .deb and the Windows zip are built and tried as users get them.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

jobs=$(nproc 2>/dev/null || echo 2)

echo "== Manual pages and icons match their sources"
scripts/make-docs.sh --check

echo "== Plain build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# An extra opinion where the project's shared folder is beside the checkout:
# its ftcheck.py on the real files' documents. No test needs it.
if [ -f ../shared/tools/ftcheck.py ]; then
  echo "== ../shared/tools/ftcheck.py on the real files' documents"
  extra=$(mktemp -d)
  for midi in tests/data/midi/*.mid*; do
    for rows in 64 7; do
      build/src/cli/tonvert-cli -q -r $rows -i library/instruments.ini -d library/drums.ini \
        -o "$extra/doc.txt" "$midi" 2>/dev/null
      python3 ../shared/tools/ftcheck.py "$extra/doc.txt" 2>&1 | sed "s|^|$(basename "$midi"), $rows rows: |"
    done
  done
  rm -rf "$extra"
fi

echo "== Debian package: lintian, installed, used, purged"
scripts/test-packages.sh deb build

echo "== Sanitizer build (ASan + UBSan)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTONVERT_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
# Tests that need a display run in the plain build only: X11 and font libraries
# report leaks of their own.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE display

echo "== Fuzzing (each target for 30 s)"
scripts/fuzz.sh 30

echo "== Windows build (mingw-w64), its tests under wine"
# tonvert-cli.exe is compared byte for byte with the plain build's tonvert-cli.
cmake -S . -B build-win-tests -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DTONVERT_HOST_CLI="$PWD/build/src/cli/tonvert-cli" \
  -DTONVERT_HOST_CHECK="$PWD/build/tools/tonvert-check" >/dev/null
cmake --build build-win-tests -j"$jobs"
ctest --test-dir build-win-tests --output-on-failure -j"$jobs"

echo "== Windows zip: unpacked and run under wine"
scripts/test-packages.sh zip build-win-tests
