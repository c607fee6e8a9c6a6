#!/usr/bin/env python3
"""Draws the program's icon and writes res/tovirak.ico.

A blue rounded square holding a list of steps (three bars) and a play
triangle, drawn at every size the system asks for (16, 24, 32, 48 and 256
pixels) from the same shapes, antialiased by sampling each pixel 4 x 4
times. Standard library only, so the file comes out byte for byte the same
on every machine:  python3 tools/make_icon.py
"""
import os
import struct
import zlib

SIZES = (16, 24, 32, 48, 256)
SAMPLES = 4
TOP, BOTTOM = (0x3A, 0x86, 0xE0), (0x17, 0x47, 0x94)  # background gradient
EDGE = (0x10, 0x33, 0x6E)
WHITE = (0xFF, 0xFF, 0xFF)


def inside_rounded(x, y, left, top, right, bottom, r):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + r), right - r)
    cy = min(max(y, top + r), bottom - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def inside_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    d1, d2, d3 = side(a, b), side(b, c), side(c, a)
    return (d1 >= 0 and d2 >= 0 and d3 >= 0) or (d1 <= 0 and d2 <= 0 and d3 <= 0)


def shade(u, v):
    """Colour and coverage at a point of the unit square (v down)."""
    m = 0.06
    if not inside_rounded(u, v, m, m, 1 - m, 1 - m, 0.2):
        return None
    if not inside_rounded(u, v, m + 0.035, m + 0.035, 1 - m - 0.035, 1 - m - 0.035, 0.17):
        return EDGE
    for cy in (0.32, 0.5, 0.68):
        if inside_rounded(u, v, 0.2, cy - 0.05, 0.46, cy + 0.05, 0.05):
            return WHITE
    if inside_triangle(u, v, (0.55, 0.28), (0.55, 0.72), (0.83, 0.5)):
        return WHITE
    t = (v - m) / (1 - 2 * m)
    return tuple(round(a + (b - a) * t) for a, b in zip(TOP, BOTTOM))


def render(size):
    """Rows of (r, g, b, a), top row first."""
    rows = []
    n = SAMPLES * SAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = shade((px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(a / hits) for a in acc) + (round(255 * hits / n),))
        rows.append(row)
    return rows


def bmp_image(rows):
    """An icon image as the ICO format keeps small sizes: a DIB of twice the
    height, 32-bit colour bottom row first, then the 1-bit mask."""
    size = len(rows)
    head = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return head + colour + bytes(mask)


def png_image(rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    size = len(rows)
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    images = [(s, png_image(render(s)) if s >= 256 else bmp_image(render(s))) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in images:
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "tovirak.ico")
    with open(path, "wb") as f:
        f.write(out)
    print("wrote res/tovirak.ico (%d bytes)" % len(out))


if __name__ == "__main__":
    main()
