#!/usr/bin/env bash
# Checks every document the Windows unit tests queued (they cannot start the
# checker under wine) in one Python process; none queued means a broken queue.
#   check_documents.sh PYTHON FTCHECK QUEUE-FOLDER
set -uo pipefail
shopt -s nullglob
documents=("$3"/*.txt)
[ ${#documents[@]} -gt 0 ] || { echo "no documents were queued in $3" >&2; exit 1; }
"$1" - "$2" "${documents[@]}" <<'PYTHON'
import contextlib, io, os, sys
sys.path.insert(0, os.path.dirname(sys.argv[1]))
import ftcheck
failed = 0
for document in sys.argv[2:]:
    said = io.StringIO()  # quiet for a document that imports
    with contextlib.redirect_stderr(said):
        if ftcheck.main([document]) != 0:
            failed += 1
            print(said.getvalue() + "the tracker would not import " + os.path.basename(document))
sys.exit("%d of %d documents would not import" % (failed, len(sys.argv) - 2) if failed else 0)
PYTHON
