#!/usr/bin/env python3
"""Writes the demo site's chapter pages and their page images. Run by hand when the set changes;
the generated files are committed, so nothing here runs at build time.

Needs python3, cjpeg (libjpeg-turbo-progs) and cwebp (webp); PNG files are written directly.
Pages are flat-colour drawings (a frame, a few panels, the page number in large digits), so they
compress to a few kilobytes each whatever their size.

Chapters live beside their title page, at the addresses the title pages link to:
site/truyen-tranh/<slug>/chuong-<n> (a file; the fake curl serves it as is). Images live under
site/pages/<slug>/<n>/. What the set covers:
    kiem-khach-mua-thu 1    JPEG, PNG and WebP portrait pages, a page wider than the screen, a
                            720 x 6000 strip, a page whose download fails, a lossless WebP
    kiem-khach-mua-thu 2    only the site's notice banner: the page list is empty
    tiem-tra-meo-den 1, 45  portrait pages in the three formats
    hanh-trinh-vo-tan 301   tall strips for scroll reading (720 x 6000, 800 x 3000, one 1600 x 4200
                            wider than the screen, 720 x 3600) and a short 900 x 500 page, each
                            with its number at the bottom too
    hanh-trinh-vo-tan 300   five tall strips read as one (a 720 x 30,000 JPEG among them), the
                            chapter before 301
    hanh-trinh-vo-tan 302   portrait pages, one of them a strip
    den-long-pho-co 2, 3    PNG portrait pages of the title that left the front page

    tools/demo-site/make-chapters.py [SITE_DIR [SLUG/NUMBER ...]]
(default: site beside this script; with chapters named, only those are written)
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

DIGITS = {
    "0": ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    "3": ["11110", "00001", "00001", "01110", "00001", "00001", "11110"],
    "4": ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    "5": ["11111", "10000", "11110", "00001", "00001", "10001", "01110"],
    "6": ["00110", "01000", "10000", "11110", "10001", "10001", "01110"],
    "7": ["11111", "00001", "00010", "00100", "01000", "01000", "01000"],
    "8": ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    "9": ["01110", "10001", "10001", "01111", "00001", "00010", "01100"],
}

HOSTS = ["https://i1.zentomi-demo.test", "https://i2.zentomi-demo.test", "http://i3.zentomi-demo.test"]

# A page: (file name, format, width, height, paper colour, ink colour[, number at the bottom too]).
# Formats: jpeg, png, webp (lossy), webp-lossless; "fail" names an address whose download fails
# (curl exit 7).
KKMT_1 = [
    ("01.jpg", "jpeg", 800, 1200, (236, 228, 210), (120, 40, 20)),
    ("02.png", "png", 800, 1200, (250, 250, 245), (30, 60, 120)),
    ("03.webp", "webp", 760, 1140, (225, 235, 225), (20, 100, 60)),
    ("04.jpg", "jpeg", 1800, 1000, (240, 220, 200), (150, 30, 90)),
    ("05.png", "png", 720, 6000, (210, 225, 245), (20, 40, 90)),
    ("06.jpg", "fail", 0, 0, None, None),
    ("07.webp", "webp-lossless", 800, 1200, (245, 235, 220), (90, 50, 20)),
]
TTMD_1 = [
    ("01.png", "png", 800, 1200, (40, 40, 50), (230, 200, 150)),
    ("02.jpg", "jpeg", 800, 1200, (60, 50, 45), (240, 220, 180)),
    ("03.webp", "webp", 800, 1200, (35, 45, 55), (200, 230, 250)),
]
TTMD_45 = [
    ("01.jpg", "jpeg", 900, 1300, (250, 240, 230), (60, 30, 20)),
    ("02.png", "png", 900, 1300, (230, 240, 250), (20, 30, 60)),
]
HTVT_301 = [
    ("01.png", "png", 720, 6000, (235, 225, 250), (70, 30, 120), True),
    ("02.png", "png", 800, 3000, (250, 235, 215), (130, 60, 10), True),
    ("03.png", "png", 1600, 4200, (220, 245, 230), (10, 90, 50), True),
    ("04.png", "png", 720, 3600, (250, 225, 230), (140, 20, 50), True),
    ("05.png", "png", 900, 500, (230, 235, 240), (40, 50, 70), True),
]
HTVT_300 = [
    ("01.jpg", "jpeg", 720, 30000, (245, 240, 225), (60, 40, 100), True),
    ("02.png", "png", 720, 4000, (225, 240, 250), (20, 60, 110), True),
    ("03.png", "png", 800, 5000, (240, 250, 225), (50, 90, 20), True),
    ("04.png", "png", 720, 6000, (250, 230, 240), (110, 20, 70), True),
    ("05.png", "png", 690, 3000, (235, 235, 235), (40, 40, 40), True),
]
HTVT_302 = [
    ("01.webp", "webp", 800, 1200, (20, 60, 140), (240, 240, 255)),
    ("02.jpg", "jpeg", 720, 3000, (200, 230, 250), (10, 40, 90)),
    ("03.png", "png", 800, 1200, (160, 220, 250), (20, 30, 80)),
]

DLPC = [
    ("01.png", "png", 800, 1200, (250, 236, 200), (150, 60, 20)),
    ("02.png", "png", 800, 1200, (245, 225, 190), (120, 40, 30)),
    ("03.png", "png", 800, 1200, (240, 215, 180), (90, 30, 40)),
]

CHAPTERS = [
    ("kiem-khach-mua-thu", "Kiếm Khách Mùa Thu", "1", KKMT_1),
    ("kiem-khach-mua-thu", "Kiếm Khách Mùa Thu", "2", []),
    ("tiem-tra-meo-den", "Tiệm Trà & Mèo Đen", "1", TTMD_1),
    ("tiem-tra-meo-den", "Tiệm Trà & Mèo Đen", "45", TTMD_45),
    ("hanh-trinh-vo-tan", 'Hành Trình "Vô Tận"', "300", HTVT_300),
    ("hanh-trinh-vo-tan", 'Hành Trình "Vô Tận"', "301", HTVT_301),
    ("hanh-trinh-vo-tan", 'Hành Trình "Vô Tận"', "302", HTVT_302),
    ("den-long-pho-co", "Đèn Lồng Phố Cổ", "2", DLPC),
    ("den-long-pho-co", "Đèn Lồng Phố Cổ", "3", DLPC),
]


def fill(row, x0, x1, colour, width):
    x0, x1 = max(0, x0), min(width, x1)
    if x1 > x0:
        row[x0 * 3:x1 * 3] = bytes(colour) * (x1 - x0)


def draw(width, height, paper, ink, number, at_bottom=False):
    """Rows of RGB bytes: a frame, panels every 400 rows, and the page number in large digits
    (near the top, and with at_bottom as far from the bottom too, so both ends of a strip say
    which page they belong to)."""
    scale = max(8, width // 40)
    text = str(number)
    text_w = len(text) * 6 * scale - scale
    text_x, text_y = (width - text_w) // 2, min(height, 1200) // 2 - 7 * scale // 2
    text_ys = [text_y]
    bottom_y = height - text_y - 7 * scale
    if at_bottom and bottom_y > text_y + 7 * scale + 40:
        text_ys.append(bottom_y)
    border = max(6, width // 100)
    panel = tuple((p * 3 + i) // 4 for p, i in zip(paper, ink))
    rows = []
    for y in range(height):
        row = bytearray(bytes(paper) * width)
        if y < border or y >= height - border:
            fill(row, 0, width, ink, width)
        else:
            fill(row, 0, border, ink, width)
            fill(row, width - border, width, ink, width)
            band = (y - border) % 400
            if 40 <= band < 360 and not any(t - 20 <= y < t + 7 * scale + 20 for t in text_ys):
                half = width // 2
                fill(row, border + 30, half - 15, panel, width)
                if (y - border) // 400 % 2 == 0:
                    fill(row, half + 15, width - border - 30, panel, width)
            top = next((t for t in text_ys if t <= y < t + 7 * scale), None)
            gy = (y - top) // scale if top is not None else -1
            if 0 <= gy < 7:
                for index, digit in enumerate(text):
                    for column, bit in enumerate(DIGITS[digit][gy]):
                        if bit == "1":
                            x = text_x + (index * 6 + column) * scale
                            fill(row, x, x + scale, ink, width)
        rows.append(bytes(row))
    return rows


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def write_png(path, rows):
    header = struct.pack(">IIBBBBB", len(rows[0]) // 3, len(rows), 8, 2, 0, 0, 0)
    data = b"".join(b"\x00" + row for row in rows)
    with open(path, "wb") as file:
        file.write(b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
                   + png_chunk(b"IDAT", zlib.compress(data, 9)) + png_chunk(b"IEND", b""))


def write_ppm(path, rows):
    with open(path, "wb") as file:
        file.write(f"P6 {len(rows[0]) // 3} {len(rows)} 255\n".encode())
        file.write(b"".join(rows))


def write_image(target, kind, rows, work):
    if kind == "png":
        write_png(target, rows)
    elif kind == "jpeg":
        source = os.path.join(work, "page.ppm")
        write_ppm(source, rows)
        subprocess.run(["cjpeg", "-quality", "50", "-optimize", "-outfile", target, source], check=True)
    else:
        source = os.path.join(work, "page.png")
        write_png(source, rows)
        options = ["-lossless"] if kind == "webp-lossless" else ["-q", "75"]
        subprocess.run(["cwebp", "-quiet", *options, source, "-o", target], check=True)


def chapter_page(slug, heading, number, image_urls):
    pieces = []
    for index, url in enumerate(image_urls):
        alt = f"{heading} Chapter {number} - Trang {index + 1}"
        # The forms the site uses: lazy data-src over a placeholder src, data-sv1 only, plain src.
        if index % 3 == 0:
            image = f"<img alt='{alt}' data-index='{index}' src='https://cdn.zentomi-demo.test/lazy.gif' data-src='{url}' />"
        elif index % 3 == 1:
            image = f"<img alt='{alt}' data-index='{index}' data-sv1='{url}' />"
        else:
            image = f"<img alt='{alt}' data-index='{index}' src='{url}' />"
        pieces.append(f"<div id='page_{index + 1}' class='page-chapter'>\n  {image}\n</div>")
    if not image_urls:
        # The site's notice banner is the only picture: no page is left to read.
        pieces.append("<div id='page_1' class='page-chapter'>\n  <img alt='Thông báo' "
                      "data-src='https://i1.zentomi-demo.test/images/notice-nettruyen.jpg' />\n</div>")
    body = "\n".join(pieces)
    title = heading.replace("&", "&amp;").replace('"', "&quot;")
    return f"""<!DOCTYPE html>
<html lang='vi'>
<head>
<meta charset='utf-8'>
<title>{title} Chapter {number} - ZENTOMI Demo</title>
</head>
<body>
<div class='container'>
<div class='top'><h1 class='txt-primary'><a href='/truyen-tranh/{slug}'>{title}</a> <span>- Chapter {number}</span></h1></div>
<div class='reading-detail box_doc'>
{body}
</div>
</div>
</body>
</html>
"""


def main():
    here = os.path.dirname(os.path.realpath(__file__))
    site = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "site")
    only = set(sys.argv[2:])
    with tempfile.TemporaryDirectory() as work:
        for slug, heading, number, pages in CHAPTERS:
            if only and f"{slug}/{number}" not in only:
                continue
            folder = os.path.join(site, "pages", slug, number)
            if pages:
                os.makedirs(folder, exist_ok=True)
            urls = []
            for index, (name, kind, width, height, paper, ink, *at_bottom) in enumerate(pages):
                url = f"{HOSTS[index % len(HOSTS)]}/pages/{slug}/{number}/{name}"
                urls.append(url)
                target = os.path.join(folder, name)
                if kind == "fail":
                    with open(target + ".action", "w", encoding="utf-8") as file:
                        file.write("exit 7\n")
                    continue
                write_image(target, kind, draw(width, height, paper, ink, index + 1, *at_bottom), work)
                print(target)
            path = os.path.join(site, "truyen-tranh", slug, f"chuong-{number}")
            with open(path, "w", encoding="utf-8", newline="\n") as file:
                file.write(chapter_page(slug, heading, number, urls))
            print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
