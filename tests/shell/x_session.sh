# Sourced by the window's end-to-end test (Linux and wine), the package test and
# the window's benchmark: a scratch folder, an X server of its own on a free
# display (no window manager), and what a user does there with xdotool and xclip.
work=$(mktemp -d)
xvfb_pid="" app_pid="" window=""
# On exit: the program and Xvfb if they still run, and the scratch folder.
cleanup() { { kill $app_pid $xvfb_pid && wait $app_pid $xvfb_pid; } 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
wait_for() {  # SECONDS COMMAND...: true once the command succeeds within that time
  for _ in $(seq $(($1 * 10))); do "${@:2}" && return 0; sleep 0.1; done && return 1
}
# start_x WIDTHxHEIGHT: Xvfb picks a free display; DISPLAY names it.
start_x() {
  Xvfb -displayfd 1 -screen 0 "$1x24" -nolisten tcp >"$work/display" 2>/dev/null </dev/null & xvfb_pid=$!
  wait_for 10 test -s "$work/display" || fail "Xvfb did not start (is the xvfb package installed?)"
  export DISPLAY=":$(head -n1 "$work/display")"
  # The display number comes before the server takes connections: wait for one.
  wait_for 10 xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb does not accept connections"
}
find_window() { window=$(xdotool search --all --onlyvisible --name '^Quenby Tonvert' 2>/dev/null | head -n1) && [ -n "$window" ]; }
click() { xdotool mousemove --window "$window" "$1" "$2" click 1 && sleep 0.3; }  # client X Y
keys() { xdotool key "$@" && sleep 0.3; }  # to the window under the pointer: no window manager
# await_window SECONDS WHAT: the window appears, or the failure says whether the
# program still runs, what it printed (to $work/app.log) and which windows exist.
await_window() {
  wait_for "$1" find_window || fail "no window from $2 after $1 s; the program has $(app_ended && echo ended || echo 'still running');" \
    "it printed: $(cat "$work/app.log" 2>/dev/null); windows: $(xdotool search --name '' getwindowname %@ 2>/dev/null | tr '\n' '|')"
}
clipboard() { xclip -selection clipboard -o 2>/dev/null; }
clipboard_is() { [ "$(clipboard)" = "$1" ]; }
app_ended() { ! kill -0 "$app_pid" 2>/dev/null; }
# The close request a window manager sends (WM_DELETE_WINDOW; xdotool cannot),
# sent again while the window stays (a run's last status step may take it and
# drop it); the program must then end with 0.
close_window() {
  for _ in 1 2 3; do
    /usr/bin/python3 -c 'import sys; from Xlib import X, display; from Xlib.protocol.event import ClientMessage
d = display.Display(); w, atom = d.create_resource_object("window", int(sys.argv[1], 0)), d.intern_atom
w.send_event(ClientMessage(window=w, client_type=atom("WM_PROTOCOLS"), data=(32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
d.flush()' "$window" || true
    wait_for 5 app_ended && break
  done
  app_ended || fail "the window did not close"
  wait "$app_pid" || fail "the program ended with $?"
  app_pid=""
}
