#!/usr/bin/env bash
# tonvert-cli.exe under wine writes the same bytes as the Linux tonvert-cli: the
# real songs and the example song, with the library's definitions, with the
# defaults and with other rows, ticks and mapper; once through standard output.
#   cli_same_bytes.sh WINE.SH PREFIX TONVERT-CLI.EXE LINUX-TONVERT-CLI MIDI-FOLDER SOURCE-FOLDER
set -euo pipefail
wine_sh=$1 prefix=$2 exe=$3 linux=$4 midi=$5 source=$6

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$source/library/instruments.ini" "$source/library/drums.ini" .

songs=("$midi"/*.mid* "$source/examples/song.mid")
mapper=$(printf '1%.0s' {1..16})$(printf '0%.0s' {1..96})
option_sets=("" "-r 32 -t auto" "-r \$30 -t 72 -m $mapper")

compared=0 differ=0
for song in "${songs[@]}"; do
  cp "$song" song.mid
  for options in "${option_sets[@]}"; do
    # shellcheck disable=SC2086  # the option sets are split on purpose
    "$linux" -q $options -o linux.txt song.mid 2>linux.err || true
    # shellcheck disable=SC2086
    bash "$wine_sh" run "$prefix" "$exe" -q $options -o windows.txt song.mid >windows.log 2>&1 || true
    if [ -s linux.txt ] && cmp -s linux.txt windows.txt; then
      compared=$((compared + 1))
    else
      differ=$((differ + 1))
      echo "differs: $(basename "$song") with options '$options'"
      cat windows.log
      cmp linux.txt windows.txt || true
    fi
    rm -f linux.txt windows.txt
  done
done

# Standard output in binary mode: the CR LF of the document stay as they are.
cp "${songs[0]}" song.mid
"$linux" -q -o - song.mid >linux.txt
bash "$wine_sh" run "$prefix" "$exe" -q -o - song.mid >windows.txt
if cmp -s linux.txt windows.txt; then
  compared=$((compared + 1))
else
  differ=$((differ + 1))
  echo "differs: standard output of $(basename "${songs[0]}")"
fi

# Without -o the output goes beside the MIDI file, also when the folder is
# named with backslashes.
mkdir -p "dir.v2"
cp "${songs[0]}" dir.v2/song
bash "$wine_sh" run "$prefix" "$exe" -q 'dir.v2\song' >default.out 2>&1 || true
if [ -s dir.v2/song.txt ] && [ ! -e dir.txt ]; then
  compared=$((compared + 1))
else
  differ=$((differ + 1))
  echo "without -o: no dir.v2/song.txt"
  cat default.out
fi

echo "$compared checks agree, $differ differ"
[ "$differ" -eq 0 ] && [ "$compared" -gt 0 ]
