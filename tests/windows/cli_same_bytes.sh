#!/usr/bin/env bash
# tonvert-cli.exe under wine writes the same bytes as the Linux tonvert-cli (the
# real songs and the example, with the library, three option sets, standard
# output), and without -o beside the MIDI file, in a folder named with "\" too; never over the MIDI file.
#   cli_same_bytes.sh WINE.SH PREFIX TONVERT-CLI.EXE LINUX-TONVERT-CLI MIDI-FOLDER SOURCE-FOLDER
set -euo pipefail
wine_sh=$1 prefix=$2 exe=$3 linux=$4 midi=$5 source=$6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$source/library/instruments.ini" "$source/library/drums.ini" .
windows() { bash "$wine_sh" run "$prefix" "$exe" "$@"; }
differ=0
same() {  # WHAT: linux.txt and windows.txt hold the same document
  [ -s linux.txt ] && cmp -s linux.txt windows.txt && return
  differ=$((differ + 1)) && echo "differs: $1" && cat windows.log
  cmp linux.txt windows.txt || true
}
mapper=$(printf '1%.0s' {1..16})$(printf '0%.0s' {1..96})
for song in "$midi"/*.mid* "$source/examples/song.mid"; do
  cp "$song" song.mid
  # shellcheck disable=SC2086  # the option sets are split on purpose
  for options in "" "-r 32 -t 36" "-r 48 -t 72 -m $mapper"; do
    rm -f linux.txt windows.txt
    "$linux" -q $options -o linux.txt song.mid 2>/dev/null || true
    windows -q $options -o windows.txt song.mid >windows.log 2>&1 || true
    same "$(basename "$song") with options '$options'"
  done
done
"$linux" -q -o - song.mid >linux.txt
windows -q -o - song.mid >windows.txt 2>windows.log
same "standard output (binary mode keeps the document's CR LF)"
mkdir dir.v2 && cp song.mid dir.v2/song
windows -q 'dir.v2\song' >/dev/null 2>&1 || true
[ -s dir.v2/song.txt ] && [ ! -e dir.txt ] || { differ=$((differ + 1)) && echo "without -o: no dir.v2/song.txt"; }
# The MIDI file itself, named in other letter cases, is not overwritten.
! windows -q -o SONG.MID song.mid >/dev/null 2>&1 && cmp -s song.mid "$source/examples/song.mid" ||
  { differ=$((differ + 1)) && echo "SONG.MID replaced song.mid"; }
[ "$differ" -eq 0 ] || { echo "$differ checks differ" >&2 && exit 1; }
