#!/usr/bin/env python3
"""Draws the installer's emblem (a white "V" on a rounded blue-teal square).

Usage: make-art.py OUTDIR
Writes OUTDIR/Installer.ico (the icon sizes below, 32 bpp with alpha; 256 px
PNG-compressed, as Windows reads it) and the dialog picture at each display
scale: OUTDIR/Picture.bmp (83 x 92 px at 100 %) and Picture-125.bmp ...
Picture-200.bmp (24 bpp). Plain arithmetic only, so every run writes the same
bytes.
"""
import math
import os
import struct
import sys
import zlib

SAMPLES = 4  # supersampling per axis, for smooth edges
TOP = (0x2A, 0xA8, 0xB4)     # teal
BOTTOM = (0x1C, 0x4A, 0x8C)  # deep blue
WHITE = (0xFF, 0xFF, 0xFF)

# What Windows asks for at 100 % to 200 % (small, large and taskbar icons) and
# the large icon of Explorer's biggest views.
ICON_SIZES = [256, 64, 48, 40, 32, 24, 20, 16]
PICTURE_SCALES = [100, 125, 150, 175, 200]  # per cent; 100 % is 83 x 92 px


def in_rounded_square(u, v, inset=0.04, radius=0.22):
    lo, hi = inset + radius, 1.0 - inset - radius
    dx = max(lo - u, 0.0, u - hi)
    dy = max(lo - v, 0.0, v - hi)
    return dx * dx + dy * dy <= radius * radius


def near_segment(u, v, a, b, half):
    ax, ay = a
    bx, by = b
    ex, ey = bx - ax, by - ay
    t = ((u - ax) * ex + (v - ay) * ey) / (ex * ex + ey * ey)
    t = min(1.0, max(0.0, t))
    px, py = ax + t * ex - u, ay + t * ey - v
    return px * px + py * py <= half * half


def in_v(u, v):
    half = 0.075
    tip = (0.5, 0.74)
    return near_segment(u, v, (0.27, 0.26), tip, half) or near_segment(u, v, (0.73, 0.26), tip, half)


def emblem(size):
    """Rows top to bottom of (r, g, b, a) tuples."""
    rows = []
    n = SAMPLES * SAMPLES
    for y in range(size):
        row = []
        for x in range(size):
            cover = 0
            white = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    u = (x + (sx + 0.5) / SAMPLES) / size
                    v = (y + (sy + 0.5) / SAMPLES) / size
                    if in_rounded_square(u, v):
                        cover += 1
                        if in_v(u, v):
                            white += 1
            if cover == 0:
                row.append((0, 0, 0, 0))
                continue
            t = (y + 0.5) / size
            base = [TOP[i] + (BOTTOM[i] - TOP[i]) * t for i in range(3)]
            w = white / cover
            rgb = tuple(int(round(base[i] + (WHITE[i] - base[i]) * w)) for i in range(3))
            row.append(rgb + (int(round(255 * cover / n)),))
        rows.append(row)
    return rows


def png_image(size):
    rows = emblem(size)
    raw = b"".join(b"\0" + b"".join(struct.pack("BBBB", *px) for px in row) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def ico_image(size):
    if size == 256:
        return png_image(size)  # uncompressed it would be a quarter of a megabyte
    rows = emblem(size)
    xor = b"".join(struct.pack("BBBB", b, g, r, a) for row in reversed(rows) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + bytes(mask)


def write_ico(path, sizes):
    images = [ico_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def scaled(pixels, percent):
    """Pixels at 100 % to pixels at this scale, halves rounded up."""
    return (pixels * percent + 50) // 100


def write_bmp(path, percent):
    # Light panel with the emblem centred near the top, blended onto it; every
    # length is its 100 % length scaled, so each scale shows the same picture.
    width, height = scaled(83, percent), scaled(92, percent)
    bg_top, bg_bottom = (0xF4, 0xF8, 0xFA), (0xD8, 0xE6, 0xEE)
    size = scaled(71, percent)
    left, top = (width - size) // 2, scaled(6, percent)
    rule_top, rule_bottom = height - scaled(8, percent), height - scaled(5, percent)
    rule_inset = scaled(10, percent)
    mark = emblem(size)
    pixels = []
    for y in range(height):
        t = y / (height - 1)
        bg = tuple(bg_top[i] + (bg_bottom[i] - bg_top[i]) * t for i in range(3))
        row = []
        for x in range(width):
            c = bg
            my, mx = y - top, x - left
            if 0 <= my < size and 0 <= mx < size:
                r, g, b, a = mark[my][mx]
                c = tuple(bg[i] + ((r, g, b)[i] - bg[i]) * a / 255 for i in range(3))
            if rule_top <= y < rule_bottom and rule_inset <= x < width - rule_inset:
                c = BOTTOM  # a thin rule under the emblem
            row.append(tuple(int(round(v)) for v in c))
        pixels.append(row)
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(pixels):
        line = b"".join(struct.pack("BBB", b, g, r) for (r, g, b) in row)
        data += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + bytes(data))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-art.py OUTDIR")
    os.makedirs(sys.argv[1], exist_ok=True)
    write_ico(os.path.join(sys.argv[1], "Installer.ico"), ICON_SIZES)
    for percent in PICTURE_SCALES:
        name = "Picture.bmp" if percent == 100 else "Picture-%d.bmp" % percent
        write_bmp(os.path.join(sys.argv[1], name), percent)


if __name__ == "__main__":
    main()
