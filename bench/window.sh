#!/usr/bin/env bash
# Times the FLTK window against the command line on one song of NOTES notes:
# the window under Xvfb from the press of Go! until the document is written,
# the command line as a whole process; the median of RUNS of each.
#   bench/window.sh [BUILD-FOLDER] [NOTES] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$here/build-release}") notes=${2:-8000} runs=${3:-5}
source "$here/tests/shell/x_session.sh"
python3 "$here/bench/make_big_song.py" "$work/song.mid" "$notes"
# Definitions for every program and drum of the song: no report box comes up
# to hold the next press of Go!.
cp "$here/library/instruments.ini" "$here/library/drums.ini" "$work/"
mkdir -p "$work/home/.config/farrow"
settings=$work/home/.config/farrow/tonvert.reg
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Farrow\\FARROW_TONVERT]\r\n"in"="%s"\r\n"out"="%s"\r\n\r\n' \
  "$work/song.mid" "$work/out.txt" >"$settings"
now() { date +%s.%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

for _ in $(seq "$runs"); do
  start=$(now)
  (cd "$work" && "$build/src/cli/tonvert-cli" -q -t 36 -o "$work/cli.txt" "$work/song.mid" >/dev/null)
  echo "$(now) - $start" | bc
done | median >"$work/cli"

start_x 640x760
(cd "$work" && HOME=$work/home exec env -u XDG_CONFIG_HOME "$build/src/shell/fltk/tonvert" </dev/null >"$work/app.log" 2>&1) &
app_pid=$!
await_window 30 tonvert
# The click comes from here through XTEST and the file is watched in a tight
# loop, so neither a helper program's start nor a sleep counts in the time.
/usr/bin/python3 - "$window" "$work/out.txt" "$runs" >"$work/window" <<'PYTHON'
import os, statistics, sys, time
from Xlib import X, display
from Xlib.ext import xtest
d = display.Display()
window = d.create_resource_object("window", int(sys.argv[1], 0))
out, runs = sys.argv[2], int(sys.argv[3])
origin = window.translate_coords(d.screen().root, 0, 0)
times = []
for _ in range(runs):
    if os.path.exists(out):
        os.remove(out)
    xtest.fake_input(d, X.MotionNotify, x=-origin.x + 460, y=-origin.y + 670)
    d.sync()
    start = time.perf_counter()
    xtest.fake_input(d, X.ButtonPress, 1)
    xtest.fake_input(d, X.ButtonRelease, 1)
    d.sync()
    while not os.path.exists(out):
        if time.perf_counter() - start > 30:
            sys.exit("no document after 30 s")
    times.append(time.perf_counter() - start)
    time.sleep(0.5)
print(statistics.median(times))
PYTHON
cmp -s "$work/cli.txt" "$work/out.txt" || fail "the window wrote another document than the command line"
close_window
awk -v c="$(cat "$work/cli")" -v w="$(cat "$work/window")" -v n="$notes" 'BEGIN {
  printf "notes: %d\ncommand line: median %.1f ms\nwindow: median %.1f ms (%.2f x the command line)\n", n, c * 1000, w * 1000, w / c }'
