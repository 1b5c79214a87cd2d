#!/usr/bin/env bash
# tonvert in a real X server: the paths and "Arpeggios" stored beforehand, the
# DPCM box of MIDI channel 1 and "Tempo changes" clicked, "Spread chords" and
# "Nearest row" reached with Tab from their fields and ticked with Space, Go!
# pressed, the output and the clipboard checked, the window closed as a window
# manager closes it, and the stored settings read back.
#   window_end_to_end.sh TONVERT EXAMPLES-FOLDER TONVERT-CHECK
set -euo pipefail
exe=$1 examples=$2 check=$3
source "$(dirname "$0")/x_session.sh"

mkdir -p "$work/home/.config/farrow" "$work/songs"
cp "$examples/song.mid" "$examples/instruments.ini" "$examples/drums.ini" "$work/songs/"
settings=$work/home/.config/farrow/tonvert.reg
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Farrow\\FARROW_TONVERT]\r\n"in"="%s"\r\n"out"="%s"\r\n"arpeggio"="1"\r\n\r\n' \
  "$work/songs/song.mid" "$work/songs/out.txt" >"$settings"

start_x 640x760
(cd "$work/songs" && HOME=$work/home exec env -u XDG_CONFIG_HOME "$exe" </dev/null >"$work/app.log" 2>&1) &
app_pid=$!
await_window 30 "$exe"
click 315 230  # DPCM, MIDI channel 1: box 64 of the mapper text
click 120 100  # Tempo changes
click 50 100 && keys Tab Tab space  # the rows field, then past "Tempo changes" to "Spread chords"
click 50 150 && keys Tab space  # the ticks field, then "Nearest row"
click 460 670  # Go!
wait_for 20 clipboard_is "$work/songs/out.txt" || fail "the clipboard holds '$(clipboard)'"
"$check" "$work/songs/out.txt" || fail "the tracker would not import the output"
close_window

value() { sed -n "s/^\"$1\"=\"\(.*\)\"\r\$/\1/p" "$settings"; }
check_settings "$work/songs/song.mid" "$work/songs/out.txt" 64 36 1 1 1 1
[ "${mapper:64:1}" = 1 ] || fail "the clicked DPCM box is not stored: $mapper"
echo "tonvert converted, put the path on the clipboard and stored its nine settings"
