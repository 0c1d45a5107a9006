#!/usr/bin/env python3
"""Draws the demo site's cover images. Run by hand when the set changes; the generated files are
committed, so nothing here runs at build time.

Needs python3, cjpeg (libjpeg-turbo-progs) and cwebp (webp). PNG files are written directly.
The set covers what a decoder meets on the site: baseline, progressive and greyscale JPEG; RGB,
RGBA, palette and greyscale PNG; lossy, lossy-with-alpha and lossless WebP.

    tools/demo-site/make-covers.py [OUTPUT_DIR]   (default: site/covers beside this script)
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

WIDTH, HEIGHT = 180, 240

# A 5x7 bitmap font for the initials printed on each cover.
GLYPHS = {
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "C": ["01111", "10000", "10000", "10000", "10000", "10000", "01111"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "G": ["01111", "10000", "10000", "10011", "10001", "10001", "01111"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
}

# name, format, initials, two gradient colours, motif
COVERS = [
    ("kiem-khach-mua-thu", "jpeg", "KK", (200, 90, 30), (60, 20, 10), "stripes"),
    ("tiem-tra-meo-den", "png-rgb", "TT", (40, 40, 50), (150, 110, 70), "circles"),
    ("hanh-trinh-vo-tan", "webp-lossy", "HT", (20, 60, 140), (160, 220, 250), "rings"),
    ("nguoi-gac-den", "jpeg-progressive", "NG", (10, 30, 60), (240, 200, 90), "beam"),
    ("co-gai-sao-bang", "webp-alpha", "CS", (60, 10, 90), (250, 150, 200), "stars"),
    ("he-thong-tho-ren", "jpeg", "HT", (70, 70, 70), (230, 120, 20), "grid"),
    ("dau-bep-the-gioi-khac", "png-rgba", "DB", (250, 230, 180), (200, 60, 40), "circles"),
    ("bi-mat-thu-vien-co", "webp-lossless", "BM", (50, 30, 20), (200, 170, 110), "stripes"),
    ("hiep-si-xe-dap", "jpeg-grey", "HS", (30, 30, 30), (220, 220, 220), "rings"),
    ("meo-may-tham-tu", "png-palette", "MM", (20, 120, 110), (240, 240, 200), "grid"),
    ("lu-khach-sa-mac-muoi", "webp-lossy", "LK", (230, 200, 150), (120, 60, 30), "beam"),
    ("hoc-vien-phep-thuat", "jpeg", "HV", (20, 10, 60), (120, 200, 255), "stars"),
    ("ngoi-sao-cuoi-cung", "png-grey", "NS", (10, 10, 10), (250, 250, 250), "stars"),
]


def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


def motif_value(motif, x, y):
    """How strongly the motif lights pixel (x, y), 0 to 1."""
    cx, cy = WIDTH / 2, HEIGHT * 0.4
    dx, dy = x - cx, y - cy
    distance = (dx * dx + dy * dy) ** 0.5
    if motif == "stripes":
        return 1.0 if ((x + y) // 14) % 2 == 0 else 0.0
    if motif == "circles":
        return 1.0 if distance < 55 else 0.0
    if motif == "rings":
        return 1.0 if int(distance) // 12 % 2 == 0 else 0.0
    if motif == "beam":
        return max(0.0, 1.0 - abs(dx) / (8 + y * 0.4)) if y > cy else (1.0 if distance < 18 else 0.0)
    if motif == "grid":
        return 1.0 if x % 24 < 3 or y % 24 < 3 else 0.0
    if motif == "stars":
        return 1.0 if ((x // 2 * 73856093) ^ (y // 2 * 19349663)) % 173 == 0 or distance < 10 else 0.0
    return 0.0


def draw(initials, top, bottom, motif):
    """Rows of (r, g, b, a) pixels."""
    rows = []
    scale = 6
    text_width = len(initials) * 6 * scale - scale
    text_x, text_y = (WIDTH - text_width) // 2, HEIGHT - 7 * scale - 24
    for y in range(HEIGHT):
        base = mix(top, bottom, y / (HEIGHT - 1))
        row = []
        for x in range(WIDTH):
            light = motif_value(motif, x, y)
            colour = mix(base, (255, 255, 255), 0.35 * light)
            alpha = 255
            if x < 4 or y < 4 or x >= WIDTH - 4 or y >= HEIGHT - 4:
                colour, alpha = (20, 20, 20), 160
            gx, gy = (x - text_x) // scale, (y - text_y) // scale
            if 0 <= gy < 7 and x >= text_x:
                letter, column = divmod(gx, 6)
                if letter < len(initials) and column < 5 and GLYPHS[initials[letter]][gy][column] == "1":
                    colour = (255, 255, 255)
            row.append(colour + (alpha,))
        rows.append(row)
    return rows


def grey(pixel):
    return (pixel[0] * 299 + pixel[1] * 587 + pixel[2] * 114) // 1000


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def write_png(path, rows, kind):
    """kind: rgb, rgba, grey or palette."""
    height, width = len(rows), len(rows[0])
    chunks = []
    if kind == "palette":
        palette, lines = {}, []
        for row in rows:
            line = bytearray([0])
            for pixel in row:
                # 6x6x6 colour cube: always fits the 256 entries.
                key = tuple(c * 5 // 255 * 51 for c in pixel[:3])
                line.append(palette.setdefault(key, len(palette)))
            lines.append(bytes(line))
        colour_type = 3
        chunks.append(png_chunk(b"PLTE", b"".join(bytes(c) for c in palette)))
    else:
        colour_type = {"rgb": 2, "rgba": 6, "grey": 0}[kind]
        lines = []
        for row in rows:
            line = bytearray([0])
            for pixel in row:
                if kind == "rgb":
                    line.extend(pixel[:3])
                elif kind == "rgba":
                    line.extend(pixel)
                else:
                    line.append(grey(pixel))
            lines.append(bytes(line))
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    data = b"".join(lines)
    with open(path, "wb") as file:
        file.write(b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + b"".join(chunks)
                   + png_chunk(b"IDAT", zlib.compress(data, 9)) + png_chunk(b"IEND", b""))


def write_pnm(path, rows, greyscale):
    with open(path, "wb") as file:
        file.write(f"{'P5' if greyscale else 'P6'} {len(rows[0])} {len(rows)} 255\n".encode())
        for row in rows:
            file.write(bytes(grey(p) for p in row) if greyscale
                       else b"".join(bytes(p[:3]) for p in row))


def main():
    here = os.path.dirname(os.path.realpath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "site", "covers")
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        for name, kind, initials, top, bottom, motif in COVERS:
            rows = draw(initials, top, bottom, motif)
            if kind.startswith("png-"):
                target = os.path.join(out, name + ".png")
                write_png(target, rows, kind[4:])
            elif kind.startswith("jpeg"):
                target = os.path.join(out, name + ".jpg")
                source = os.path.join(work, name + ".pnm")
                write_pnm(source, rows, kind == "jpeg-grey")
                options = ["-progressive"] if kind == "jpeg-progressive" else []
                subprocess.run(["cjpeg", "-quality", "85", *options, "-outfile", target, source],
                               check=True)
            else:
                target = os.path.join(out, name + ".webp")
                source = os.path.join(work, name + ".png")
                write_png(source, rows, "rgba" if kind == "webp-alpha" else "rgb")
                options = {"webp-lossy": ["-q", "80"], "webp-alpha": ["-q", "80", "-alpha_q", "100"],
                           "webp-lossless": ["-lossless"]}[kind]
                subprocess.run(["cwebp", "-quiet", *options, source, "-o", target], check=True)
            print(target)


if __name__ == "__main__":
    main()
