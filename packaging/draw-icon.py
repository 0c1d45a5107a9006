#!/usr/bin/env python3
"""Draws the launcher icon, packaging/zentomi/icon.png: an open book with a bookmark ribbon on a
rounded dark tile, in the reader's own colours. Standard library only; the output is the same
bytes on every run."""
import os
import struct
import sys
import zlib

SIZE = 256
SAMPLES = 4  # per axis: 16 samples per pixel smooth the edges

TILE_TOP = (0x1E, 0x29, 0x3B)
TILE_BOTTOM = (0x0B, 0x0F, 0x19)
COVER = (0xE1, 0x1D, 0x48)
LEFT_PAGE = (0xF8, 0xFA, 0xFC)
RIGHT_PAGE = (0xE2, 0xE8, 0xF0)
INK = (0x94, 0xA3, 0xB8)
RIBBON = (0xFB, 0xBF, 0x24)


def inside_rounded_square(x, y, margin, radius):
    low, high = margin + radius, SIZE - margin - radius
    dx = max(low - x, 0.0, x - high)
    dy = max(low - y, 0.0, y - high)
    return dx * dx + dy * dy <= radius * radius


def inside_polygon(points, x, y):
    """Even-odd rule, so concave outlines work too."""
    inside = False
    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
    return inside


def near_segment(x0, y0, x1, y1, width, x, y):
    dx, dy = x1 - x0, y1 - y0
    t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
    px, py = x0 + t * dx - x, y0 + t * dy - y
    return px * px + py * py <= width * width / 4


def rise(x):
    """The pages rise from the spine (x 128) towards their outer edges, 16 px over 84."""
    return 16 * abs(x - 128) / 84


def on_text_line(start, end, row, x, y):
    base = 106 + row * 14
    return near_segment(start, base - rise(start), end, base - rise(end), 4.5, x, y)


def sample(x, y):
    """The colour at one point, or None outside the tile."""
    if not inside_rounded_square(x, y, 8, 44):
        return None
    t = (y - 8) / (SIZE - 16)
    colour = tuple(round(a + (b - a) * t) for a, b in zip(TILE_TOP, TILE_BOTTOM))
    if inside_polygon([(128, 98), (34, 80), (34, 196), (128, 214), (222, 196), (222, 80)], x, y):
        colour = COVER
    if inside_polygon([(128, 88), (44, 72), (44, 184), (128, 200)], x, y):
        colour = LEFT_PAGE
        for row in range(6):
            if on_text_line(58, 116 if row % 3 != 2 else 90, row, x, y):
                colour = INK
    elif inside_polygon([(128, 88), (212, 72), (212, 184), (128, 200)], x, y):
        colour = RIGHT_PAGE
        for row in range(6):
            if on_text_line(140 if row % 3 != 2 else 166, 198, row, x, y):
                colour = INK
    if inside_polygon([(176, 58), (198, 58), (198, 128), (187, 116), (176, 128)], x, y):
        colour = RIBBON
    return colour


def render():
    rows = []
    for py in range(SIZE):
        row = bytearray([0])  # PNG filter: none
        for px in range(SIZE):
            totals = [0, 0, 0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour = sample(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if colour is None:
                        continue
                    covered += 1
                    for i in range(3):
                        totals[i] += colour[i]
            if covered == 0:
                row += bytes(4)
            else:
                row += bytes(round(total / covered) for total in totals)
                row.append(round(255 * covered / (SAMPLES * SAMPLES)))
        rows.append(bytes(row))
    return b"".join(rows)


def png(width, height, rgba):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rgba, 9)) + chunk(b"IEND", b""))


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "zentomi", "icon.png")
    with open(target, "wb") as out:
        out.write(png(SIZE, SIZE, render()))


if __name__ == "__main__":
    main()
