#!/usr/bin/env bash
# tonvert-cli.exe under wine writes the same bytes as the Linux tonvert-cli (a
# real song with the library, to a file with options and to standard output),
# without -o beside the MIDI file in a folder named with "\", and never over
# the MIDI file named in other letter cases.
#   cli_same_bytes.sh WINE.SH PREFIX TONVERT-CLI.EXE LINUX-TONVERT-CLI SONG SOURCE-FOLDER
set -euo pipefail
wine_sh=$1 prefix=$2 exe=$3 linux=$4 song=$5 source=$6
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT && cd "$work"
cp "$source/library/instruments.ini" "$source/library/drums.ini" .
cp "$song" song.mid && mkdir dir.v2 && cp song.mid dir.v2/song
windows() { bash "$wine_sh" run "$prefix" "$exe" "$@"; }
options=(-q -r 48 -t 72 -m "$(printf '1%.0s' {1..16})$(printf '0%.0s' {1..96})")
"$linux" "${options[@]}" -o linux.txt song.mid && windows "${options[@]}" -o windows.txt song.mid
cmp linux.txt windows.txt || fail=1
"$linux" -q -o - song.mid >linux.txt && windows -q -o - song.mid >windows.txt  # binary mode keeps CR LF
cmp linux.txt windows.txt || fail=1
windows -q 'dir.v2\song' >/dev/null 2>&1 || true
[ -s dir.v2/song.txt ] && [ ! -e dir.txt ] || { fail=1 && echo "without -o: no dir.v2/song.txt"; }
! windows -q -o SONG.MID song.mid >/dev/null 2>&1 && cmp -s song.mid "$song" || { fail=1 && echo "SONG.MID replaced song.mid"; }
[ -z "${fail:-}" ]
