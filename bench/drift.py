#!/usr/bin/env python3
"""How far a converted song's playing time drifts from its MIDI file's at the
note starts.

usage: bench/drift.py CLI MIDI-FILE... [-- CLI OPTIONS...]

Converts each file with tonvert-cli (the bundled library, `auto` ticks unless
the options say otherwise), plays the document's rows as the tracker does
(tempo / (2.5 x speed) rows a second, Fxx below 21 a speed, from 21 a tempo),
and compares the time of each note start's row with the MIDI file's own time
from its tempo map. Prints per file the grid, the largest drift as a share of
the note's time, and how many note starts miss by more than 1 % or one row.
"""
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def read_midi(path):
    """Division, tempo map [(tick, us)] in reading order, note-on ticks."""
    data = open(path, "rb").read()
    division = int.from_bytes(data[12:14], "big")
    pos, tempos, starts = 14, [], []
    while pos + 8 <= len(data):
        kind, length = data[pos:pos + 4], int.from_bytes(data[pos + 4:pos + 8], "big")
        body, pos = data[pos + 8:pos + 8 + length], pos + 8 + length
        if kind != b"MTrk":
            continue
        i, tick, running = 0, 0, 0

        def varlen():
            nonlocal i
            value = 0
            while i < len(body):
                b = body[i]
                i += 1
                value = (value << 7) | (b & 0x7F)
                if not b & 0x80:
                    break
            return value

        while i < len(body):
            tick += varlen()
            status = body[i] if i < len(body) else 0
            if status < 0x80:
                status = running
            else:
                i += 1
            if status == 0xFF:
                meta = body[i]
                i += 1
                n = varlen()
                if meta == 0x51 and n == 3 and int.from_bytes(body[i:i + 3], "big"):
                    tempos.append((tick, int.from_bytes(body[i:i + 3], "big")))
                i += n
                if meta == 0x2F:
                    break
            elif status in (0xF0, 0xF7):
                n = varlen()  # before i is read: varlen moves it
                i += n
            else:
                running = status
                if status & 0xF0 == 0x90 and i + 1 < len(body) and body[i + 1] > 0:
                    starts.append(tick)
                i += 1 if status & 0xF0 in (0xC0, 0xD0) else 2
    tempos.sort(key=lambda t: t[0])
    return division, tempos, sorted(starts)


def midi_seconds(tempos, division, tick):
    seconds, at, us = 0.0, 0, 500000
    for t, u in tempos:
        if t >= tick:
            break
        seconds += (t - at) * us / 1e6 / division
        at, us = t, u
    return seconds + (tick - at) * us / 1e6 / division


def played_rows(doc):
    """Start and length in seconds of every row, in playing order."""
    starts, lengths, now, speed, tempo = [], [], 0.0, 6, 150
    for line in doc.splitlines():
        if line.startswith("TRACK "):
            speed, tempo = (int(w) for w in line.split()[2:4])
        elif line.startswith("ROW "):
            for effect in re.findall(r" F([0-9A-F]{2})", line):
                value = int(effect, 16)
                if value < 21:
                    speed = value
                else:
                    tempo = value
            starts.append(now)
            lengths.append(2.5 * speed / tempo)
            now += lengths[-1]
    return starts, lengths


def measure(cli, midi, options):
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "doc.txt")
        lib = os.path.join(HERE, "..", "library")
        run = subprocess.run([cli, "-i", os.path.join(lib, "instruments.ini"), "-d", os.path.join(lib, "drums.ini"),
                              *options, "-o", out, midi], capture_output=True, text=True)
        doc = open(out).read()
    division, tempos, starts = read_midi(midi)
    found = re.search(r"Grid: (\d+) rows per quarter note", run.stderr)
    nearest = "--nearest-row" in options
    if found:
        ticks, divisor = 3 * division, int(found.group(1))
    elif nearest:
        ticks, divisor = 3 * division, 4
    else:
        ticks, divisor = (6 * division + 4) // 8, 1
    row_starts, row_lengths = played_rows(doc)
    worst, misses, counted = 0.0, 0, 0
    for tick in starts:
        exact = 3 * tick * divisor / ticks
        row = int(exact + 0.5) if nearest else int(exact)
        if row >= len(row_starts):
            continue  # past the song's last frame
        counted += 1
        midi_time = midi_seconds(tempos, division, tick)
        miss = abs(row_starts[row] - midi_time)
        one_row = max(row_lengths[row], row_lengths[max(row - 1, 0)])
        if midi_time > 10:  # a row is well under 1 % of the time by then
            worst = max(worst, miss / midi_time)
        if miss > max(0.01 * midi_time, one_row):
            misses += 1
    bpms = [round(6e7 / u + 1e-9) for _, u in tempos] or [120]
    return (found.group(1) if found else "4", worst, misses, counted, min(bpms))


def main():
    args = sys.argv[1:]
    options = args[args.index("--") + 1:] if "--" in args else []
    files = args[1:args.index("--")] if "--" in args else args[1:]
    for midi in files:
        q, worst, misses, counted, slowest = measure(args[0], midi, options)
        print("%-28s grid %2s  worst drift %6.2f %%  %4d of %4d starts off by more than 1 %% or a row  "
              "(slowest %d BPM)" % (os.path.basename(midi), q, 100 * worst, misses, counted, slowest))


if __name__ == "__main__":
    main()
