#!/usr/bin/env python3
"""Plants faults in src/ one at a time and tells which the tests catch.

usage: scripts/plant-faults.py [FAULTS-FILE] [--work DIR] [--only REGEX] [--tests REGEX]

The checkout is copied to DIR (default /tmp/tonvert-faults/tree; builds and
.git left out) and built there once; each fault of FAULTS-FILE (default
scripts/planted-faults.txt) is then applied to the copy, built incrementally,
its ctest regex run (tests labelled "display" left out), and the file put
back. A fault is caught when a test fails, missed when all pass; a fault that
does not build or whose text is not found once is reported as such.
Not part of the test suite: it runs the suite many times over."""
import argparse
import os
import re
import shutil
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(here)


def read_faults(path):
    faults, current = [], None
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("#") or not line.strip():
                continue
            if line.startswith("[") and line.endswith("]"):
                current = {"name": line[1:-1]}
                faults.append(current)
                continue
            key, _, value = line.partition(":")
            current[key] = value[1:].replace("\\n", "\n") if value.startswith(" ") else value
    return faults


def run(cmd, cwd, log):
    with open(log, "w") as out:
        return subprocess.run(["nice"] + cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT).returncode


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("faults", nargs="?", default=os.path.join(here, "planted-faults.txt"))
    ap.add_argument("--work", default="/tmp/tonvert-faults")
    ap.add_argument("--only", default="", help="only the faults whose name matches this regex")
    ap.add_argument("--tests", default="", help="this ctest regex instead of each fault's own")
    args = ap.parse_args()
    tree, build = os.path.join(args.work, "tree"), os.path.join(args.work, "build")
    os.makedirs(args.work, exist_ok=True)
    # A fresh build too: the copy keeps the files' times, which an old build
    # would take for up to date.
    shutil.rmtree(tree, ignore_errors=True)
    shutil.rmtree(build, ignore_errors=True)
    shutil.copytree(root, tree, ignore=lambda d, names: [n for n in names if n == ".git" or
                                                         (d == root and n.startswith("build"))])
    log = os.path.join(args.work, "log.txt")
    if run(["cmake", "-S", tree, "-B", build, "-DCMAKE_BUILD_TYPE=Release"], tree, log) or \
            run(["cmake", "--build", build, "-j2"], tree, log):
        sys.exit("the unchanged copy does not build: see " + log)
    results = []
    for fault in read_faults(args.faults):
        if not re.search(args.only, fault["name"]):
            continue
        path = os.path.join(tree, fault["file"])
        with open(path, encoding="utf-8") as f:
            original = f.read()
        if original.count(fault["old"]) != 1:
            results.append((fault["name"], "TEXT NOT FOUND ONCE", ""))
            print(results[-1][0], "--", results[-1][1], flush=True)
            continue
        with open(path, "w", encoding="utf-8") as f:
            f.write(original.replace(fault["old"], fault["new"]))
        try:
            if run(["cmake", "--build", build, "-j2"], tree, log):
                verdict, caught_by = "DOES NOT BUILD", ""
            else:
                run(["ctest", "--test-dir", build, "-j2", "-LE", "display", "--timeout", "300",
                     "-R", args.tests or fault.get("tests", ".")], tree, log)
                with open(log) as f:
                    failed = re.findall(r"^\s*\d+ - (\S+) \(", f.read(), re.M)
                verdict, caught_by = ("caught", " ".join(failed)) if failed else ("MISSED", "")
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
        results.append((fault["name"], verdict, caught_by))
        print(f"{fault['name']} -- {verdict} {caught_by}", flush=True)
    caught = sum(1 for r in results if r[1] == "caught")
    print(f"\n{caught} of {len(results)} faults caught")
    for name, verdict, _ in results:
        if verdict != "caught":
            print(f"  {verdict}: {name}")


if __name__ == "__main__":
    main()
