#!/usr/bin/env bash
# Runs the Windows tests under wine, in a prefix of the build's own.
#   wine.sh start PREFIX   create the prefix on first use (about 10 s), start a persistent
#                          server (a test finding one just ending can fail)
#   wine.sh run PREFIX PROGRAM [ARGS...]   or   wine.sh stop PREFIX
set -euo pipefail
command=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="  # no .NET or Gecko installers
shift 2
case "$command" in
  start)
    log="$WINEPREFIX/start.log" && mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >>"$log" 2>&1 || true  # one already running stays
    wineboot -i </dev/null >>"$log" 2>&1
    ;;
  run)
    # Through files: helper processes that wine starts (living on with the
    # server) must not hold the caller's pipes open, or ctest waits for them.
    out=$(mktemp) err=$(mktemp) status=0
    wine "$@" </dev/null >"$out" 2>"$err" || status=$?
    cat "$out" && cat "$err" >&2
    rm -f "$out" "$err"
    exit "$status"
    ;;
  stop) wineserver -k </dev/null >/dev/null 2>&1 || true ;;
  *) echo "usage: wine.sh start|run|stop PREFIX ..." >&2 && exit 2 ;;
esac
