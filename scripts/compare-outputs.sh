#!/usr/bin/env bash
# Converts every MIDI file of a folder with two builds of tonvert-cli, under a
# few settings, and reports any document or message that differs. For changes
# that must not change what users get.
#
# usage: scripts/compare-outputs.sh OLD-CLI NEW-CLI [MIDI-FOLDER] [-- EXTRA OPTIONS...]
set -uo pipefail
old=$(realpath "$1"); new=$(realpath "$2"); shift 2
here=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-$here/tests/data/midi}; [ $# -gt 0 ] && shift
[ "${1:-}" = "--" ] && shift
extra=("$@")
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
lib=(-i "$here/library/instruments.ini" -d "$here/library/drums.ini")
settings=("-t auto" "-t 36" "-t auto -r 16" "-t 16 -r 16" "-t auto -m 1111111111111111000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000")
differ=0 compared=0
for midi in "$folder"/*.mid "$folder"/*.midi; do
  [ -f "$midi" ] || continue
  for s in "${settings[@]}"; do
    for cli in old new; do
      bin=$old; [ $cli = new ] && bin=$new
      # shellcheck disable=SC2086
      "$bin" $s "${lib[@]}" "${extra[@]}" -o "$work/doc.txt" "$midi" >"$work/$cli.out" 2>"$work/$cli.err"
      echo "exit $?" >>"$work/$cli.out"
      mv "$work/doc.txt" "$work/$cli.txt" 2>/dev/null
    done
    compared=$((compared + 1))
    same_doc() { [ ! -e "$work/old.txt" ] && [ ! -e "$work/new.txt" ] || cmp -s "$work/old.txt" "$work/new.txt"; }
    if ! same_doc || ! cmp -s "$work/old.out" "$work/new.out" ||
       ! cmp -s "$work/old.err" "$work/new.err"; then
      echo "DIFFERS: $(basename "$midi") with $s"
      diff <(cat "$work/old.out" "$work/old.err") <(cat "$work/new.out" "$work/new.err") | head -5
      differ=$((differ + 1))
    fi
    rm -f "$work"/old.* "$work"/new.*
  done
done
echo "$compared conversions compared, $differ differ"
[ "$differ" -eq 0 ]
