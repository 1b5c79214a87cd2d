#!/usr/bin/env python3
"""Counts code lines (not blank, not only a comment) per folder: src/ against
the code that checks results (tests/, fuzz/, tools/). Data files (MIDI,
expected documents, case tables) are not code and are not counted.

usage: scripts/count-code.py [ROOT]"""
import os
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
KINDS = {".cpp": "c", ".h": "c", ".cc": "c", ".hpp": "c", ".py": "hash", ".sh": "hash", ".cmake": "hash"}


def kind_of(name):
    if name == "CMakeLists.txt":
        return "hash"
    return KINDS.get(os.path.splitext(name)[1])


def count(path, kind):
    n = 0
    in_block = False
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            s = line.strip()
            if kind == "c":
                if in_block:
                    if "*/" in s:
                        in_block = False
                        s = s.split("*/", 1)[1].strip()
                    else:
                        continue
                if s.startswith("/*"):
                    if "*/" not in s:
                        in_block = True
                    continue
                if not s or s.startswith("//"):
                    continue
            else:
                if not s or (s.startswith("#") and not s.startswith("#!")) or s.startswith("#!"):
                    continue
            n += 1
    return n


totals = {}
for top in ("src", "tests", "fuzz", "tools"):
    base = os.path.join(root, top)
    for dirpath, _, files in os.walk(base):
        for name in files:
            kind = kind_of(name)
            if kind:
                totals[top] = totals.get(top, 0) + count(os.path.join(dirpath, name), kind)
src = totals.get("src", 0)
checks = sum(v for k, v in totals.items() if k != "src")
for k in ("src", "tests", "fuzz", "tools"):
    print(f"{k:6} {totals.get(k, 0):6}")
print(f"checking code: {checks} = {100.0 * checks / max(src, 1):.1f} % of src")
