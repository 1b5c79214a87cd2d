#!/usr/bin/env python3
"""usage: make_big_song.py OUT [NOTES]

Writes a song of 50,000 notes (or NOTES) spanning 128 frames (64 rows of 36 time units
each, so 768 ticks a frame at 48 ticks per quarter): ten tracks on ten channels,
5,000 notes each, with program changes, a tempo and drums on channel 10."""
import struct
import sys

FRAMES = 128
TICKS = FRAMES * 768          # 98,304 ticks
TRACKS = 10
NOTES_PER_TRACK = 5000


def varlen(v):
    out = [v & 0x7F]
    v >>= 7
    while v:
        out.insert(0, 0x80 | (v & 0x7F))
        v >>= 7
    return bytes(out)


def track(channel, notes_per_track):
    data = b"\x00\xFF\x51\x03\x07\xA1\x20" if channel == 0 else b""
    data += b"\x00" + bytes([0xC0 | channel, (channel * 7) % 128])
    step = TICKS // notes_per_track            # 19 ticks between note starts
    now = 0
    for i in range(notes_per_track):
        start = i * step
        note = 36 + (i * 5 + channel * 3) % 48 if channel != 9 else 35 + i % 12
        data += varlen(start - now) + bytes([0x90 | channel, note, 64 + i % 60])
        data += varlen(step - 1) + bytes([0x80 | channel, note, 0])
        now = start + step - 1
    data += varlen(TICKS - now) + b"\xFF\x2F\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + data


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "big.mid"
    notes = int(sys.argv[2]) if len(sys.argv) > 2 else TRACKS * NOTES_PER_TRACK
    song = b"MThd" + struct.pack(">IHHH", 6, 1, TRACKS, 48)
    for c in range(TRACKS):
        song += track(c, notes // TRACKS)
    with open(out, "wb") as f:
        f.write(song)


if __name__ == "__main__":
    main()
