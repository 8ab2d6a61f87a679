#!/usr/bin/env python3
"""Writes the stand-in's Sound folder: short mono 16-bit PCM tones.

Usage: make-sounds.py OUTDIR   (creates OUTDIR/Sound and OUTDIR/Sound/More)
Only integer sample values derived from fixed formulas go into the files,
so every run writes the same bytes.
"""
import math
import os
import struct
import sys

RATE = 11025

# name -> list of (frequency Hz, duration ms) notes
SOUNDS = {
    "Sound/Connect.wav": [(660, 80), (880, 120)],
    "Sound/Disconnect.wav": [(880, 80), (660, 120)],
    "Sound/Error.wav": [(220, 250)],
    "Sound/Done.wav": [(523, 90), (659, 90), (784, 140)],
    "Sound/More/Click.wav": [(1500, 15)],
    "Sound/More/Alarm.wav": [(988, 100), (0, 50), (988, 100)],
}


def samples(notes):
    out = []
    for freq, ms in notes:
        n = RATE * ms // 1000
        fade = max(1, min(n // 8, RATE // 200))
        for i in range(n):
            env = min(1.0, i / fade, (n - 1 - i) / fade)
            v = 0.0 if freq == 0 else math.sin(2.0 * math.pi * freq * i / RATE)
            out.append(int(round(12000 * env * v)))
    return out


def wav_bytes(values):
    data = struct.pack("<%dh" % len(values), *values)
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-sounds.py OUTDIR")
    for name, notes in SOUNDS.items():
        path = os.path.join(sys.argv[1], *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(wav_bytes(samples(notes)))


if __name__ == "__main__":
    main()
