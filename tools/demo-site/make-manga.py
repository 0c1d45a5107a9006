#!/usr/bin/env python3
"""Writes the Manga/ folder of the local library's walk-through card (local.sdcard/Manga). Run by
hand when the set changes; the generated files are committed.

Needs python3 and cjpeg (libjpeg-turbo-progs); the pages are drawn as make-chapters.py draws the
site's. What the card holds:
    Hành Trình Phương Bắc/   chapter folders (Chương 1, 2 and 10: natural order), a text file
                             that is no chapter, page files named in any case
    Biển Sao/                one chapter per archive: Tập 1.cbz stored, Tập 2.CBZ deflated
    Một Tập.cbz              a lone archive: a title of one chapter
    Tập Hỏng.cbz             a broken archive (its central directory cut off)

    tools/demo-site/make-manga.py [MANGA_DIR]   (default: local.sdcard/Manga beside this script)
"""
import importlib.util
import io
import os
import shutil
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.realpath(__file__))
SPEC = importlib.util.spec_from_file_location("make_chapters", os.path.join(HERE, "make-chapters.py"))
CHAPTERS = importlib.util.module_from_spec(SPEC)
SPEC.loader.exec_module(CHAPTERS)

# (folder, paper, ink, [(file name, format, width, height)])
FOLDERS = [
    ("Hành Trình Phương Bắc/Chương 1", (230, 238, 246), (30, 60, 120),
     [("01.JPG", "jpeg", 800, 1200), ("02.png", "png", 800, 1200), ("03.jpg", "jpeg", 800, 1200)]),
    ("Hành Trình Phương Bắc/Chương 2", (240, 232, 220), (110, 50, 20),
     [("trang 1.jpg", "jpeg", 800, 1200), ("trang 2.jpg", "jpeg", 800, 1200)]),
    ("Hành Trình Phương Bắc/Chương 10", (226, 240, 226), (30, 100, 40),
     [("1.png", "png", 800, 1200), ("2.png", "png", 800, 1200)]),
]
# (archive, compression, paper, ink, [(entry name, format, width, height)])
ARCHIVES = [
    ("Biển Sao/Tập 1.cbz", zipfile.ZIP_STORED, (20, 24, 48), (250, 220, 120),
     [("trang-01.jpg", "jpeg", 800, 1200), ("trang-02.jpg", "jpeg", 800, 1200)]),
    ("Biển Sao/Tập 2.CBZ", zipfile.ZIP_DEFLATED, (36, 20, 48), (240, 180, 240),
     [("p/1.png", "png", 800, 1200), ("p/2.png", "png", 800, 1200), ("p/10.png", "png", 800, 1200)]),
    ("Một Tập.cbz", zipfile.ZIP_DEFLATED, (250, 240, 200), (160, 60, 0),
     [("01.jpg", "jpeg", 800, 1200), ("02.jpg", "jpeg", 800, 1200)]),
]


def image_bytes(kind, width, height, paper, ink, number, work):
    target = os.path.join(work, "page")
    CHAPTERS.write_image(target, kind, CHAPTERS.draw(width, height, paper, ink, number), work)
    with open(target, "rb") as file:
        return file.read()


def main():
    manga = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "local.sdcard", "Manga")
    shutil.rmtree(manga, ignore_errors=True)
    with tempfile.TemporaryDirectory() as work:
        for folder, paper, ink, pages in FOLDERS:
            os.makedirs(os.path.join(manga, folder), exist_ok=True)
            for number, (name, kind, width, height) in enumerate(pages, 1):
                with open(os.path.join(manga, folder, name), "wb") as file:
                    file.write(image_bytes(kind, width, height, paper, ink, number, work))
        with open(os.path.join(manga, "Hành Trình Phương Bắc", "ghi chú.txt"), "w") as file:
            file.write("Không phải một chương.\n")
        for archive, compression, paper, ink, pages in ARCHIVES:
            path = os.path.join(manga, archive)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with zipfile.ZipFile(path, "w", compression) as zipped:
                for number, (name, kind, width, height) in enumerate(pages, 1):
                    zipped.writestr(name, image_bytes(kind, width, height, paper, ink, number, work))
        # A broken archive: a real one with its central directory cut off.
        buffer = io.BytesIO()
        with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as zipped:
            zipped.writestr("01.jpg", image_bytes("jpeg", 800, 1200, (200, 200, 200), (0, 0, 0), 1, work))
        data = buffer.getvalue()
        with open(os.path.join(manga, "Tập Hỏng.cbz"), "wb") as file:
            file.write(data[:data.rfind(b"PK\x01\x02")])
    print(manga)
    return 0


if __name__ == "__main__":
    sys.exit(main())
