#!/usr/bin/env bash
# tonvert.exe end to end under wine in Xvfb: the paths and "Arpeggios" stored in
# the registry beforehand, "Tempo changes" clicked and Go! pressed, the output
# and the clipboard checked, the window closed as a window manager closes it,
# and the nine values read back.
#   window_end_to_end.sh TONVERT.EXE PREFIX EXAMPLES-FOLDER TONVERT-CHECK [SCREENSHOT.png]
set -euo pipefail
exe=$1 prefix=$2 examples=$3 check=$4 screenshot=${5:-}
source "$(dirname "$0")/../shell/x_session.sh"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k </dev/null >/dev/null 2>&1; cleanup' EXIT

start_x 800x760
wineserver -k </dev/null >/dev/null 2>&1 || true  # a server of another display
bash "$(dirname "$0")/wine.sh" start "$prefix"
reg() { wine reg.exe "$@" </dev/null 2>/dev/null; }

mkdir "$work/songs"
cp "$examples/song.mid" "$examples/instruments.ini" "$examples/drums.ini" "$work/songs/"
midi_path=$(wine winepath.exe -w "$work/songs/song.mid" 2>/dev/null </dev/null | tr -d '\r')
out_path=$(wine winepath.exe -w "$work/songs/out.txt" 2>/dev/null </dev/null | tr -d '\r')
user_key='HKCU\SOFTWARE\Farrow\FARROW_TONVERT'
reg delete "$user_key" /f >/dev/null || true
reg delete 'HKLM\SOFTWARE\Farrow\FARROW_TONVERT' /f >/dev/null || true  # what an earlier version kept
reg add "$user_key" /v in /t REG_SZ /d "$midi_path" /f >/dev/null
reg add "$user_key" /v out /t REG_SZ /d "$out_path" /f >/dev/null
reg add "$user_key" /v arpeggio /t REG_SZ /d 1 /f >/dev/null

# The window reads instruments.ini and drums.ini from its current folder.
(cd "$work/songs" && exec wine "$exe" </dev/null >"$work/app.log" 2>&1) &
app_pid=$!
await_window 60 "$exe"
sleep 1  # the controls are painted
click 100 670  # no window manager gives the window the focus: a click on the status line
click 120 100  # Tempo changes
click 460 670  # Go!
wait_for 30 clipboard_is "$out_path" || fail "the clipboard holds '$(clipboard)', not '$out_path'"
"$check" "$work/songs/out.txt" || fail "the tracker would not import the output"
[ -z "$screenshot" ] || { sleep 1 && import -window "$window" "$screenshot"; }
close_window

stored=$(reg query "$user_key" | tr -d '\r')
value() { sed -n "s/^ *$1 *REG_SZ *//p" <<<"$stored"; }
check_settings "$midi_path" "$out_path" 64 36 1 0 0 1
echo "tonvert.exe converted, put the path on the clipboard and stored its nine settings"
