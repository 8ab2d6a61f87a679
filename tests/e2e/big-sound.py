#!/usr/bin/env python3
"""big-sound.py FILE: a 24 MiB sound that does not compress, always the same
bytes, so that writing it takes long enough to be cut off in the middle."""
import random
import struct
import sys

size = 24 << 20
data = random.Random(20261209).randbytes(size - 44)
header = b"RIFF" + struct.pack("<I", size - 8) + b"WAVEfmt " + struct.pack("<IHHIIHH", 16, 1, 1, 11025, 22050, 2, 16)
header += b"data" + struct.pack("<I", len(data))
with open(sys.argv[1], "wb") as f:
    f.write(header + data)
