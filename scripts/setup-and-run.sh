#!/usr/bin/env bash
# Installs what building and running Tonvert need, builds it, and converts the
# bundled example song.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run

cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DTONVERT_BUILD_TESTS=OFF >/dev/null
cmake --build build-release -j"$(nproc 2>/dev/null || echo 2)"

mkdir -p build-release/example
out=build-release/example/song.txt
build-release/src/cli/tonvert-cli -q -t auto \
  -i examples/instruments.ini -d examples/drums.ini -o "$out" examples/song.mid >/dev/null
echo "Converted examples/song.mid into $(pwd)/$out"
echo "Import it in FamiTracker with File > Import text."
