#!/usr/bin/env bash
# Builds the packages and checks them as a user gets them.
#   test-packages.sh deb BUILD       the .deb: lintian, the desktop entry, then
#                                    installed with dpkg, used, and purged again
#   test-packages.sh zip WIN-BUILD   the Windows zip: unpacked, tonvert-cli.exe
#                                    run from it under wine
# Both convert the example song from an empty folder, so only the installed
# library can give the instruments, and compare the document with the one the
# plain build's build/src/cli/tonvert-cli writes with the checkout's library.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
kind=$1 build=$(cd "$2" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
tmp=$(mktemp -d)
installed=""
# A failed check does not leave the package on the machine.
trap 'rm -rf "$tmp"; [ -z "$installed" ] || dpkg --purge tonvert >/dev/null' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

# The example converted with the checkout's library, by the Linux build.
expected() {
  build/src/cli/tonvert-cli -q -t auto -i library/instruments.ini -d library/drums.ini \
    -o "$tmp/expected.txt" examples/song.mid >/dev/null
}
# check_run LOG DOCUMENT LIBRARY-FOLDER: a fallback line for each file, the same document.
check_run() {
  for name in instruments drums; do
    grep -qxF "Using library file $3$name.ini" "$1" || fail "no library line for $name.ini in: $(cat "$1")"
  done
  cmp "$tmp/expected.txt" "$2" || fail "the document differs from the build tree's"
}

deb() {
  rm -f "$build"/tonvert_*.deb
  (cd "$build" && cpack -G DEB >/dev/null)
  local deb=$build/tonvert_${version}_amd64.deb
  [ -f "$deb" ] || fail "no $deb"
  dpkg-deb -c "$deb" | awk '{print $6}'
  lintian --allow-root --fail-on error "$deb"
  desktop-file-validate packaging/tonvert.desktop

  if dpkg -s tonvert >/dev/null 2>&1; then dpkg --purge tonvert >/dev/null; fi
  dpkg -i "$deb" >/dev/null
  installed=1
  local files
  files=$(dpkg -L tonvert)
  tonvert-cli --version
  expected
  mkdir "$tmp/empty"
  (cd "$tmp/empty" && tonvert-cli -t auto -o ../installed.txt "$root/examples/song.mid" 2>"$tmp/cli.log" >/dev/null)
  check_run "$tmp/cli.log" "$tmp/installed.txt" /usr/share/tonvert/library/
  [ -z "$(ls -A "$tmp/empty")" ] || fail "the run left files in the current folder"
  man -w tonvert-cli >/dev/null && man -w tonvert >/dev/null || fail "no manual page"

  # The window as the desktop entry starts it, with a file: the file is in the
  # field (stored on closing), and Go! converts with the installed library.
  (
    source tests/shell/x_session.sh
    # The Exec line's words, its %f one word holding the file (a path may have spaces).
    read -ra exec <<<"$(sed -n 's/^Exec=//p' /usr/share/applications/tonvert.desktop)"
    for i in "${!exec[@]}"; do [ "${exec[$i]}" != %f ] || exec[i]=$root/examples/song.mid; done
    start_x 640x760
    (cd "$tmp/empty" && HOME=$work exec env -u XDG_CONFIG_HOME "${exec[@]}" </dev/null >"$work/app.log" 2>&1) &
    app_pid=$!
    await_window 30 "the desktop entry (${exec[*]})"
    click 460 670  # Go!
    wait_for 20 clipboard_is "$work/song.txt" || fail "the clipboard holds '$(clipboard)'"
    close_window
    grep -qF "\"in\"=\"$root/examples/song.mid\"" "$work/.config/farrow/tonvert.reg" ||
      fail "the file argument was not in the MIDI file field"
    grep -q "Lead 1 (square)" "$work/song.txt" || fail "the window did not use the installed library"
  )

  dpkg --purge tonvert >/dev/null
  installed=""
  ! dpkg -s tonvert >/dev/null 2>&1 || fail "still installed"
  while read -r path; do
    [ -d "$path" ] || [ ! -e "$path" ] || fail "$path is left behind"
  done <<<"$files"
  for folder in /usr/share/tonvert /usr/share/doc/tonvert; do
    [ ! -e "$folder" ] || fail "$folder is left behind"
  done
  echo "the .deb installs, converts with its library from an empty folder, and purges cleanly"
}

zip() {
  rm -f "$build"/tonvert-*-win64.zip
  (cd "$build" && cpack -G ZIP >/dev/null)
  local zip=$build/tonvert-$version-win64.zip
  [ -f "$zip" ] || fail "no $zip"
  (cd "$tmp" && cmake -E tar xf "$zip")
  local folder=$tmp/tonvert-$version-win64
  local contents
  contents=$(cd "$folder" && find . -type f | sort | tr '\n' ' ')
  [ "$contents" = "./NOTICES.txt ./README.txt ./drums.ini ./instruments.ini ./tonvert-cli.exe ./tonvert.exe " ] ||
    fail "the zip holds: $contents"

  expected
  mkdir "$tmp/empty"
  local wine_sh=$root/tests/windows/wine.sh prefix=$build/wine-prefix
  bash "$wine_sh" start "$prefix" null
  (cd "$tmp/empty" && bash "$wine_sh" run "$prefix" "$folder/tonvert-cli.exe" -t auto -o ../zip.txt \
    "Z:$root/examples/song.mid" >/dev/null 2>"$tmp/cli.log") || { cat "$tmp/cli.log"; fail "tonvert-cli.exe failed"; }
  bash "$wine_sh" stop "$prefix"
  tr -d '\r' <"$tmp/cli.log" >"$tmp/cli-lf.log"
  check_run "$tmp/cli-lf.log" "$tmp/zip.txt" "$(winepath_of "$folder")\\"
  echo "the zip unpacks, and its tonvert-cli.exe converts with its library under wine"
}

# The folder as the Windows program sees it: drive Z: with backslashes.
winepath_of() { printf 'Z:%s' "${1//\//\\}"; }

case "$kind" in
  deb | zip) "$kind" ;;
  *) echo "usage: test-packages.sh deb BUILD | zip WIN-BUILD" >&2 && exit 2 ;;
esac
