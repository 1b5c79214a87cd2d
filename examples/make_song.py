#!/usr/bin/env python3
"""Writes examples/song.mid: a short song of our own for trying Tonvert.

Eight bars at 112 BPM, 96 ticks per quarter note, format 1: a tempo track, then
a melody (channel 1, program 80 Lead 1), a bass line (channel 2, program 33
Electric Bass), chords (channel 3, program 48 Strings, on the triangle only the
root is heard) and drums on channel 10 (kick 36, snare 38, closed hat 42, crash 49).
"""
import struct
import sys

DIVISION = 96
SIXTEENTH = DIVISION // 4


def varlen(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def track(events):
    """events: (absolute tick, bytes); note-offs sort before note-ons at a tick."""
    data = b""
    now = 0
    for tick, payload in sorted(events, key=lambda e: (e[0], e[1][0] & 0xF0 != 0x80)):
        data += varlen(tick - now) + payload
        now = tick
    data += varlen(0) + b"\xFF\x2F\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + data


def name(text):
    raw = text.encode("ascii")
    return b"\xFF\x03" + varlen(len(raw)) + raw


def notes(channel, program, title, pattern, velocity):
    """pattern: (start sixteenth, length in sixteenths, note number)."""
    events = [(0, name(title)), (0, bytes([0xC0 | channel, program]))]
    for start, length, note in pattern:
        events.append((start * SIXTEENTH, bytes([0x90 | channel, note, velocity])))
        events.append(((start + length) * SIXTEENTH, bytes([0x80 | channel, note, 0])))
    return track(events)


CHORDS = [(60, 64, 67), (57, 60, 64), (53, 57, 60), (55, 59, 62)] * 2  # C Am F G
MELODY = [72, 74, 76, 79, 76, 74, 72, 69, 69, 72, 74, 72, 67, 69, 71, 74]


def build():
    melody, bass, chords, drums = [], [], [], []
    for bar, chord in enumerate(CHORDS):
        base = bar * 16
        root = chord[0] - 24
        for beat in range(4):
            bass.append((base + beat * 4, 2, root if beat % 2 == 0 else root + 7))
        chords.append((base, 16, chord[0] - 12))
        for i in range(2):
            melody.append((base + i * 8, 6 if bar < 7 else 8, MELODY[(bar * 2 + i) % len(MELODY)]))
        # Kick and snare first: where two drums share a row, the first one read plays.
        if bar == 0:
            drums.append((0, 1, 49))
        drums += [(base, 1, 36), (base + 8, 1, 36), (base + 4, 1, 38), (base + 12, 1, 38)]
        for step in range(0, 16, 2):
            drums.append((base + step, 1, 42))
    tempo = track([(0, name("Tonvert example")), (0, b"\xFF\x51\x03" + struct.pack(">I", 535714)[1:])])
    header = b"MThd" + struct.pack(">IHHH", 6, 1, 5, DIVISION)
    return header + tempo + notes(0, 80, "Melody", melody, 110) + notes(1, 33, "Bass", bass, 100) \
        + notes(2, 48, "Chords", chords, 90) + notes(9, 0, "Drums", drums, 100)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "song.mid"
    with open(out, "wb") as f:
        f.write(build())
