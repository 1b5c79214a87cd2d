#!/usr/bin/env bash
# tonvert in a real X server, or with a wine prefix tonvert.exe under wine: the
# paths and "Arpeggios" stored beforehand (under wine an empty "tempos" too,
# with what an earlier version kept under the machine key behind it), the DPCM
# box of MIDI channel 1 and "Tempo changes" clicked, "Spread chords" and
# "Nearest row" reached with Tab and ticked with Space, Escape and Enter (no
# controls) pressed, Go! pressed, the output and the clipboard checked, the
# window closed as a window manager closes it, and the settings read back.
#   window_end_to_end.sh TONVERT EXAMPLES-FOLDER TONVERT-CHECK [WINE-PREFIX]
set -euo pipefail
exe=$1 examples=$2 check=$3 prefix=${4:-}
source "$(dirname "$0")/x_session.sh"
mkdir -p "$work/home/.config/farrow" "$work/songs"
cp "$examples/song.mid" "$examples/instruments.ini" "$examples/drums.ini" "$work/songs/"
midi=$work/songs/song.mid out=$work/songs/out.txt ticks=36
start_x 800x760
if [ -z "$prefix" ]; then
  settings=$work/home/.config/farrow/tonvert.reg
  printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Farrow\\FARROW_TONVERT]\r\n"in"="%s"\r\n"out"="%s"\r\n"arpeggio"="1"\r\n\r\n' \
    "$midi" "$out" >"$settings"
  run=(env -u XDG_CONFIG_HOME HOME="$work/home" "$exe")
  value() { sed -n "s/^\"$1\"=\"\(.*\)\"\r\$/\1/p" "$settings"; }
else
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  trap 'wineserver -k </dev/null >/dev/null 2>&1; cleanup' EXIT
  wineserver -k </dev/null >/dev/null 2>&1 || true  # a server of another display
  bash "$(dirname "$0")/../windows/wine.sh" start "$prefix"
  reg() { wine reg.exe "$@" </dev/null 2>/dev/null | tr -d '\r'; }
  { read -r midi && read -r out; } < <(wine winepath.exe -w "$midi" "$out" 2>/dev/null </dev/null | tr -d '\r')
  key='SOFTWARE\Farrow\FARROW_TONVERT' ticks=72
  reg delete "HKCU\\$key" /f >/dev/null || true && reg delete "HKLM\\$key" /f >/dev/null || true
  for v in "HKLM ticks REG_DWORD 72" "HKLM out REG_SZ d:\\old.txt" "HKLM tempos REG_SZ 1" "HKCU tempos REG_SZ" \
           "HKCU in REG_SZ $midi" "HKCU out REG_SZ $out" "HKCU arpeggio REG_SZ 1"; do
    read -r root name type text <<<"$v" && reg add "$root\\$key" /v "$name" /t "$type" /d "$text" /f >/dev/null
  done
  run=(wine "$exe")
  value() { reg query "HKCU\\$key" /v "$1" | sed -n "s/^ *$1 *REG_SZ *//p"; }
fi

# The window reads instruments.ini and drums.ini from its current folder.
(cd "$work/songs" && exec "${run[@]}" </dev/null >"$work/app.log" 2>&1) & app_pid=$!
await_window 60 "$exe" && sleep 1  # the controls are painted
click 100 670  # no window manager gives the window the focus: a click on the status line
click 315 230  # DPCM, MIDI channel 1: box 64 of the mapper text
click 120 100  # Tempo changes
click 50 100 && keys Tab Tab space  # the rows field, then past "Tempo changes" to "Spread chords"
click 50 150 && keys Tab space Escape Return  # the ticks field, then "Nearest row"
click 460 670  # Go!
wait_for 30 clipboard_is "$out" || fail "the clipboard holds '$(clipboard)', not '$out'"
"$check" "$work/songs/out.txt" || fail "the tracker would not import the output"
close_window
# The mapper: the default boxes, and the DPCM box of MIDI channel 1 clicked.
for pair in in="$midi" out="$out" rpp=64 ticks=$ticks tempos=1 nearest=1 spread=1 arpeggio=1 \
  mapper=1000010000100010010000100001000100100000000000000000000001000000100000000000000000010001000010000000100010000100; do
  [ "$(value "${pair%%=*}")" = "${pair#*=}" ] || fail "${pair%%=*}: '$(value "${pair%%=*}")', not '${pair#*=}'"
done
[ -z "$prefix" ] || reg query "HKLM\\$key" /v ticks | grep -q 'REG_DWORD *0x48' || fail "the machine key was written"
echo "the window converted, put the path on the clipboard and stored its nine settings"
