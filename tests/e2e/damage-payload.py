#!/usr/bin/env python3
"""damage-payload.py flip|cut IN OUT: a copy of a container the way a damaged
download looks: bytes flipped in its enciphered part, or cut off after two
thirds, in the middle of the files' data."""
import sys

mode, source, target = sys.argv[1:4]
data = bytearray(open(source, "rb").read())
if mode == "flip":
    for offset in range(64, len(data), max(1, len(data) // 16)):
        data[offset] ^= 0xFF
else:
    del data[len(data) * 2 // 3:]
open(target, "wb").write(data)
