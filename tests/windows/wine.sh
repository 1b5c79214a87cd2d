#!/usr/bin/env bash
# Runs the Windows tests under wine, in a prefix of the build's own.
#   wine.sh start PREFIX [null]   create the prefix on first use, start a persistent
#                                 wine server; "null": windows without an X server
#   wine.sh run PREFIX PROGRAM [ARGS...]
#   wine.sh stop PREFIX
# A persistent server spares every test the start-up; without it a test that
# finds the server just ending can fail.
set -euo pipefail

command=$1
export WINEPREFIX=$2
shift 2
export WINEDEBUG=-all
# No .NET or Gecko installers on the first start.
export WINEDLLOVERRIDES="mscoree,mshtml="

case "$command" in
  start)
    mkdir -p "$WINEPREFIX"
    log="$WINEPREFIX/start.log"
    # Another start of the same prefix leaves the running server alone.
    wineserver -p </dev/null >>"$log" 2>&1 || true
    # The first start creates the prefix (about 10 s).
    wineboot -i </dev/null >>"$log" 2>&1
    if [ "${1:-}" = null ]; then
      current=$(wine reg.exe query 'HKCU\Software\Wine\Drivers' /v Graphics 2>/dev/null </dev/null || true)
      if ! grep -q 'REG_SZ *null' <<<"$current"; then
        wine reg.exe add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >>"$log" 2>&1
        # The driver is chosen when the desktop starts: start again.
        wineserver -k -w </dev/null >>"$log" 2>&1 || true
        wineserver -p </dev/null >>"$log" 2>&1
        wineboot </dev/null >>"$log" 2>&1
      fi
    fi
    ;;
  run)
    # The program's output goes through a file: helper processes that wine
    # starts (and that live on with the server) must not hold the caller's
    # pipes open, or ctest waits for them.
    out=$(mktemp) err=$(mktemp)
    status=0
    wine "$@" </dev/null >"$out" 2>"$err" || status=$?
    cat "$out"
    cat "$err" >&2
    rm -f "$out" "$err"
    exit "$status"
    ;;
  stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: wine.sh start|run|stop PREFIX ..." >&2
    exit 2
    ;;
esac
