#!/usr/bin/env bash
# tonvert.exe end to end under wine in Xvfb: settings stored in the registry
# beforehand (one of them only under the machine key, as an earlier version
# kept it), Go! pressed, the output and the clipboard checked, the window
# closed as a window manager closes it, and the five values read back.
#   window_end_to_end.sh TONVERT.EXE PREFIX EXAMPLES-FOLDER PYTHON FTCHECK [SCREENSHOT.png]
set -euo pipefail
exe=$1 prefix=$2 examples=$3 python=$4 ftcheck=$5 screenshot=${6:-}
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
xvfb_pid="" app_pid=""
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  wineserver -k </dev/null >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}
# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local limit=$1
  shift
  for _ in $(seq $((limit * 10))); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}

# An X server on a free display, no window manager.
Xvfb -displayfd 1 -screen 0 800x760x24 -nolisten tcp >"$work/display" 2>/dev/null </dev/null &
xvfb_pid=$!
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

# A persistent server for this prefix, started with the display: wine's X11
# driver is chosen when the first window opens. The first start creates the
# prefix (about 10 s).
mkdir -p "$prefix"
wineserver -k </dev/null >/dev/null 2>&1 || true
wineserver -p </dev/null >/dev/null 2>&1
wineboot -i </dev/null >/dev/null 2>&1
reg() { wine reg.exe "$@" </dev/null 2>/dev/null; }

mkdir "$work/songs"
cp "$examples/song.mid" "$examples/instruments.ini" "$examples/drums.ini" "$work/songs/"
midi_path=$(wine winepath.exe -w "$work/songs/song.mid" 2>/dev/null </dev/null | tr -d '\r')
out_path=$(wine winepath.exe -w "$work/songs/out.txt" 2>/dev/null </dev/null | tr -d '\r')
[ -n "$midi_path" ] && [ -n "$out_path" ] || fail "winepath gave no Windows path"

user_key='HKCU\SOFTWARE\Farrow\FARROW_TONVERT'
machine_key='HKLM\SOFTWARE\Farrow\FARROW_TONVERT'
reg delete "$user_key" /f >/dev/null || true
reg delete "$machine_key" /f >/dev/null || true
reg add "$user_key" /v in /t REG_SZ /d "$midi_path" /f >/dev/null
reg add "$user_key" /v out /t REG_SZ /d "$out_path" /f >/dev/null
reg add "$machine_key" /v rpp /t REG_SZ /d 32 /f >/dev/null

# The window reads instruments.ini and drums.ini from its current folder.
(cd "$work/songs" && exec wine "$exe" </dev/null >"$work/app.log" 2>&1) &
app_pid=$!

window=""
find_window() {
  window=$(xdotool search --all --onlyvisible --name '^Quenby Tonvert' 2>/dev/null | head -n1)
  [ -n "$window" ]
}
wait_for 60 find_window || fail "no window appeared"
sleep 1  # the controls are painted

# No window manager gives the window the focus: click into it (on the status
# line) first, then press Go! (client coordinates: no frame is drawn).
xdotool mousemove --window "$window" 100 670 click 1
sleep 0.3
xdotool mousemove --window "$window" 460 670 click 1

clipboard_holds_path() {
  [ "$(xclip -selection clipboard -o 2>/dev/null)" = "$out_path" ]
}
wait_for 30 clipboard_holds_path || fail "the clipboard holds '$(xclip -selection clipboard -o 2>/dev/null)', not '$out_path'"
[ -s "$work/songs/out.txt" ] || fail "no output file"
"$python" "$ftcheck" "$work/songs/out.txt" || fail "the tracker would not import the output"
grep -q $'^TRACK  32 ' "$work/songs/out.txt" || fail "rows per pattern is not the machine key's 32"
if [ -n "$screenshot" ]; then
  sleep 1
  import -window "$window" "$screenshot"
fi

# The window manager's close request (WM_DELETE_WINDOW). The run may still be
# taking its last status step, which takes one message and drops what it
# yields, a close request too: so the request is sent again while the window
# stays.
running() { kill -0 "$app_pid" 2>/dev/null; }
for _ in 1 2 3; do
  /usr/bin/python3 "$here/../shell/send_close_request.py" "$window" 2>/dev/null || true
  for _ in $(seq 50); do running || break; sleep 0.1; done
  running || break
done
running && fail "the window did not close"
status=0
wait "$app_pid" || status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "tonvert.exe ended with $status"

# The five values, now all under the user's key.
stored=$(reg query "$user_key" | tr -d '\r')
value() { sed -n "s/^ *$1 *REG_SZ *//p" <<<"$stored"; }
[ "$(value in)" = "$midi_path" ] || fail "in: '$(value in)'"
[ "$(value out)" = "$out_path" ] || fail "out: '$(value out)'"
[ "$(value rpp)" = "32" ] || fail "rpp: '$(value rpp)'"
[ "$(value ticks)" = "36" ] || fail "ticks: '$(value ticks)'"
mapper=$(value mapper)
[ ${#mapper} -eq 112 ] || fail "mapper has ${#mapper} characters"
[ "${mapper:0:16}" = "1000010000100010" ] || fail "mapper: $mapper"
echo "tonvert.exe converted, put the path on the clipboard and stored its five settings"
