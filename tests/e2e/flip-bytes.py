#!/usr/bin/env python3
"""flip-bytes.py IN OUT: a copy of a container with bytes flipped in its
enciphered part, the way a damaged download looks."""
import sys

data = bytearray(open(sys.argv[1], "rb").read())
for offset in range(64, len(data), max(1, len(data) // 16)):
    data[offset] ^= 0xFF
open(sys.argv[2], "wb").write(data)
