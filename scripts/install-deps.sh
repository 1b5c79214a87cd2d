#!/usr/bin/env bash
# Installs the Debian 12 packages Tonvert needs. Only missing packages are
# installed; run as root (or with sudo).
#   install-deps.sh run    what building and running need (compiler, CMake, FLTK)
#   install-deps.sh test   that, and what the tests need besides (GoogleTest, an
#                          X server, clang for fuzzing, mingw-w64 and wine)
# Without an argument it installs the test set.
set -euo pipefail

run_packages=(
  # the build
  cmake g++ make pkg-config
  # the window
  libfltk1.3-dev
)
test_packages=(
  # unit tests, the document checker, the benchmark
  libgtest-dev libgmock-dev python3
  # the window's end-to-end test: X server, input, clipboard, close request, a font
  xvfb xdotool xclip python3-xlib fonts-dejavu-core
  # the fuzz targets: clang and its libFuzzer runtime
  clang libclang-rt-14-dev
  # the Windows build (mingw-w64, GoogleTest's sources) and its tests under wine;
  # installed without recommends like everything here, so wine stays small
  g++-mingw-w64-x86-64 googletest wine wine64
  # the packages' checks: manual pages and icons remade, the .deb's dependencies
  # and lint, the desktop entry
  pandoc librsvg2-bin dpkg-dev lintian desktop-file-utils man-db
)

case "${1:-test}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2 && exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
