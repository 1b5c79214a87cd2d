#!/usr/bin/env bash
# Runs the document checker on every document the Windows unit tests queued
# (they cannot start it under wine), two at a time. Fails when one would not
# import, and when none were queued, which would mean the queue itself is broken.
#   check_documents.sh PYTHON FTCHECK QUEUE-FOLDER
set -uo pipefail
python=$1 ftcheck=$2 queue=$3

shopt -s nullglob
documents=("$queue"/*.txt)
if [ ${#documents[@]} -eq 0 ]; then
  echo "no documents were queued in $queue" >&2
  exit 1
fi
# Each failing document names itself (after the test that made it).
printf '%s\0' "${documents[@]}" |
  xargs -0 -n1 -P2 sh -c '"$0" "$1" "$2" >/dev/null 2>&1 || { "$0" "$1" "$2"; echo "the tracker would not import $(basename "$2")"; exit 1; }' \
    "$python" "$ftcheck"
status=$?
echo "${#documents[@]} documents checked"
[ "$status" -eq 0 ]
