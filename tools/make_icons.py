#!/usr/bin/env python3
"""Draw the window icon and the five button images as PNG files.

Each image is pixel art: a grid of letters, one per pixel, and a palette
of what each letter means. The text button shows 字 from the program's
own glyph font. Run from the top of the tree:

  python3 tools/make_icons.py resources/icons
"""
import os
import struct
import sys
import zlib

PALETTE = {
    ".": (0, 0, 0, 0),          # transparent
    "k": (40, 40, 40, 255),     # ink
    "g": (128, 128, 128, 255),  # grey
    "w": (255, 255, 255, 255),
    "b": (32, 96, 200, 255),    # blue
    "l": (150, 200, 255, 255),  # light blue
    "o": (128, 128, 0, 255),    # olive
    "e": (0, 128, 0, 255),      # green
    "y": (240, 200, 40, 255),   # sun
    "r": (200, 50, 40, 255),
}

PICTURE = """
................
.kkkkkkkkkkkkkk.
.kllllllllllllk.
.klllllllllyylk.
.kllllllllyyyyk.
.klllllllllyylk.
.kllllllllllllk.
.klllleellllllk.
.kllleeeelllelk.
.klleeeeeeeleek.
.kleeeeeeeeeeek.
.keeeeeeeeeeeek.
.keeeeeeeeeeeek.
.kkkkkkkkkkkkkk.
................
................
"""

ABOUT = """
................
.....bbbbbb.....
...bbbbbbbbbb...
..bbbbbwwbbbbb..
..bbbbbwwbbbbb..
.bbbbbbbbbbbbbb.
.bbbbbwwwbbbbbb.
.bbbbbbwwbbbbbb.
.bbbbbbwwbbbbbb.
.bbbbbbwwbbbbbb.
..bbbbbwwbbbbb..
..bbbbwwwwbbbb..
...bbbbbbbbbb...
.....bbbbbb.....
................
................
"""

REPLACE = """
................
....oo..........
...ooo..........
..oooooooooo....
...ooo.....o....
....oo.....o....
...........o....
...........o....
....e.......e...
....e.......ee..
....e.....eeeee.
....e.......ee..
....eeeeeeeee...
................
................
................
"""

SAVE = """
................
.bbbbbbbbbbbbb..
.bbwwwwwwwwwbbb.
.bbwwwwwwwwwbbb.
.bbwwwwwwwwwbbb.
.bbwwwwwwwwwbbb.
.bbbbbbbbbbbbbb.
.bbbbbbbbbbbbbb.
.bbbgggggggbbbb.
.bbbggkkgggbbbb.
.bbbggkkgggbbbb.
.bbbggkkgggbbbb.
.bbbgggggggbbbb.
..bbbbbbbbbbbbb.
................
................
"""


def grid(art):
    rows = [row for row in art.strip("\n").split("\n")]
    return [[PALETTE[c] for c in row[:16].ljust(16, ".")] for row in rows]


def glyph_grid(font, lead, trail, ink, paper=(0, 0, 0, 0)):
    g = ((lead - 0xA1) * 94 + (trail - 0xA1)) * 32
    rows = []
    for r in range(16):
        bits = font[g + 2 * r] << 8 | font[g + 2 * r + 1]
        rows.append([ink if bits >> (15 - x) & 1 else paper for x in range(16)])
    return rows


def scale(pixels, factor):
    return [[p for p in row for _ in range(factor)] for row in pixels for _ in range(factor)]


def window_icon(font):
    """32 x 32: a sheet of paper with 字 drawn on it in dollar signs' color."""
    paper = (255, 255, 250, 255)
    zi = glyph_grid(font, 0xD7, 0xD6, (128, 128, 0, 255), paper)
    out = [[(0, 0, 0, 0)] * 32 for _ in range(32)]
    for y in range(1, 31):
        for x in range(3, 29):
            out[y][x] = PALETTE["k"] if x in (3, 28) or y in (1, 30) else paper
    for y in range(16):
        for x in range(16):
            if zi[y][x] != paper:
                out[8 + y][8 + x] = zi[y][x]
    return out


def write_png(path, pixels):
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\x00" + b"".join(struct.pack("BBBB", *p) for p in row) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "resources/icons"
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "..", "resources", "chs16.bin"), "rb") as f:
        font = f.read()
    os.makedirs(out, exist_ok=True)
    write_png(os.path.join(out, "text.png"), glyph_grid(font, 0xD7, 0xD6, PALETTE["b"]))
    write_png(os.path.join(out, "picture.png"), grid(PICTURE))
    write_png(os.path.join(out, "about.png"), grid(ABOUT))
    write_png(os.path.join(out, "replace.png"), grid(REPLACE))
    write_png(os.path.join(out, "save.png"), grid(SAVE))
    write_png(os.path.join(out, "morvexa.png"), window_icon(font))
    write_png(os.path.join(out, "morvexa-64.png"), scale(window_icon(font), 2))


if __name__ == "__main__":
    main()
