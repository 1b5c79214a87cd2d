#!/usr/bin/env python3
"""Times tonvert-cli on the 50,000-note song: median wall time and peak memory
(maximum resident set) over several runs of the whole process.

usage: bench/run.py [PATH-TO-tonvert-cli] [RUNS]
(default: build-release/src/cli/tonvert-cli, which scripts/setup-and-run.sh builds)"""
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
cli = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "build-release", "src", "cli", "tonvert-cli")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 21

with tempfile.TemporaryDirectory() as tmp:
    song = os.path.join(tmp, "big.mid")
    subprocess.run([sys.executable, os.path.join(here, "make_big_song.py"), song], check=True)
    walls, peaks, cpu = [], [], []
    for _ in range(runs):
        out = os.path.join(tmp, "big.txt")
        pid_start = time.perf_counter()
        pid = os.fork()
        if pid == 0:
            null = os.open(os.devnull, os.O_WRONLY)
            os.dup2(null, 1)
            os.dup2(null, 2)
            # 36 is also what auto gives at 48 ticks per quarter; named so the
            # song keeps its 128 frames whatever the default.
            os.execv(cli, [cli, "-q", "-t", "36", "-o", out, song])
        _, status, usage = os.wait4(pid, 0)
        walls.append(time.perf_counter() - pid_start)
        peaks.append(usage.ru_maxrss)  # kilobytes on Linux
        cpu.append(usage.ru_utime + usage.ru_stime)
        if os.waitstatus_to_exitcode(status) != 0:
            sys.exit("tonvert-cli failed")
    size = os.path.getsize(out)
    # The project's document checker, where the build has one beside the CLI.
    check = os.path.join(os.path.dirname(cli), "..", "..", "tools", "tonvert-check")
    if os.path.exists(check) and subprocess.run([check, out]).returncode != 0:
        sys.exit("the tracker would not import the document")
    print(f"notes: 50000, frames: 128, document: {size} bytes, runs: {runs}")
    print(f"wall: median {statistics.median(walls) * 1000:.1f} ms, min {min(walls) * 1000:.1f} ms, "
          f"max {max(walls) * 1000:.1f} ms")
    print(f"cpu (user+sys): median {statistics.median(cpu) * 1000:.1f} ms")
    print(f"peak memory (max RSS): median {statistics.median(peaks) / 1024:.1f} MB, max {max(peaks) / 1024:.1f} MB")
