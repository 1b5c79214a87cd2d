#!/usr/bin/env bash
# Runs the document checker on every document the Windows unit tests queued
# (they cannot start it under wine), all in one Python process. Fails when one
# would not import, and when none were queued, which would mean the queue
# itself is broken.
#   check_documents.sh PYTHON FTCHECK QUEUE-FOLDER
set -uo pipefail
python=$1 ftcheck=$2 queue=$3

shopt -s nullglob
documents=("$queue"/*.txt)
if [ ${#documents[@]} -eq 0 ]; then
  echo "no documents were queued in $queue" >&2
  exit 1
fi
# Quiet for a document that imports; the checker's error and the document's
# name (after the test that made it) otherwise.
"$python" - "$ftcheck" "${documents[@]}" <<'PYTHON'
import contextlib, io, os, sys

checker, documents = sys.argv[1], sys.argv[2:]
sys.path.insert(0, os.path.dirname(checker))
import ftcheck

failed = 0
for document in documents:
    said = io.StringIO()
    with contextlib.redirect_stderr(said):
        status = ftcheck.main([document])
    if status != 0:
        failed += 1
        sys.stderr.write(said.getvalue())
        print("the tracker would not import %s" % os.path.basename(document))
print("%d documents checked, %d would not import" % (len(documents), failed))
sys.exit(1 if failed else 0)
PYTHON
