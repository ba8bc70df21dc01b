#!/usr/bin/env python3
"""Draws the generator's icon IDI_GENERATOR: a blue shield with a golden rim
and a golden V, on a transparent ground. Writes generator32.png and
generator16.png beside this script. Standard library only."""
import os
import struct
import zlib

BLUE = (32, 64, 150)
GOLD = (226, 178, 40)
DARK = (20, 28, 60)


def inside_shield(x, y, inset):
    """Unit square coordinates (0..1); the shield is a flat top, straight
    sides and a pointed base formed by two arcs."""
    left, right, top = 0.12 + inset, 0.88 - inset, 0.08 + inset
    if y < top or x < left or x > right:
        return False
    if y <= 0.55:
        return True
    # Lower half: the sides curve in to the point at (0.5, 0.95 - inset).
    bottom = 0.95 - inset
    t = (y - 0.55) / (bottom - 0.55)
    if t > 1:
        return False
    half = (right - left) / 2 * (1 - t * t) ** 0.5
    return abs(x - 0.5) <= half


def on_v(x, y):
    """A V of two strokes from the upper corners to the lower middle."""
    def near(ax, ay, bx, by, width):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= width * width
    return near(0.30, 0.22, 0.50, 0.74, 0.075) or near(0.70, 0.22, 0.50, 0.74, 0.075)


def colour_at(x, y, size):
    rim = 1.6 / size if size < 24 else 2.2 / size
    if not inside_shield(x, y, 0.0):
        return None
    if not inside_shield(x, y, rim):
        return DARK if not inside_shield(x, y, rim / 2.5) else GOLD
    if on_v(x, y):
        return GOLD
    return BLUE


def render(size, samples=8):
    rows = []
    for py in range(size):
        row = bytearray([0])  # filter type: none
        for px in range(size):
            r = g = b = a = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    c = colour_at(x, y, size)
                    if c is not None:
                        r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
            n = samples * samples
            if a:
                row += bytes([r // a, g // a, b // a, 255 * a // n])
            else:
                row += bytes([0, 0, 0, 0])
        rows.append(bytes(row))
    return rows


def write_png(path, size, rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", header))
        out.write(chunk(b"IDAT", zlib.compress(b"".join(rows), 9)))
        out.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    for size in (32, 16):
        write_png(os.path.join(here, "generator%d.png" % size), size, render(size))
