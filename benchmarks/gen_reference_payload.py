#!/usr/bin/env python3
"""gen_reference_payload.py DIR: writes the reference payload tree, always the same.

205 files in 13 folders, about 22 MB: text-like files that compress well beside
incompressible ones like sounds and images, the mix a real release carries."""
import os
import random
import sys

FOLDERS = ["", "ECU", "ECU/Unit Alpha", "ECU/OBD2", "Translation", "Update", "Macros",
           "Sound", "Sound/More", "Convert", "Help", "Images", "Parameters"]
FILES = 205
TARGET_BYTES = 22_000_000
WORDS = ("engine sensor throttle ignition timing boost lambda injector rpm map "
         "coolant intake knock idle valve pressure torque gear shift ecu").split()


def text_block(rng, size):
    out = []
    n = 0
    while n < size:
        line = " ".join(rng.choice(WORDS) for _ in range(rng.randint(4, 14))) + f" = {rng.randint(0, 65535)}\r\n"
        out.append(line)
        n += len(line)
    return "".join(out).encode()[:size]


def main():
    root = sys.argv[1]
    rng = random.Random(20261208)
    # Sizes: mostly small files, a few large ones, summing to the target.
    weights = [rng.paretovariate(1.2) for _ in range(FILES)]
    scale = TARGET_BYTES / sum(weights)
    for i, w in enumerate(weights):
        folder = FOLDERS[i % len(FOLDERS)]
        size = max(64, int(w * scale))
        incompressible = folder in ("Sound", "Sound/More", "Images") or i % 3 == 0
        ext = ".wav" if folder.startswith("Sound") else ".bin" if incompressible else ".txt"
        path = os.path.join(root, folder, f"file{i:03d}{ext}")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        data = rng.randbytes(size) if incompressible else text_block(rng, size)
        with open(path, "wb") as f:
            f.write(data)
        os.utime(path, (1764504000, 1764504000))


if __name__ == "__main__":
    main()
