#!/usr/bin/env python3
"""Draw the program's icon and the five button images.

Each image is pixel art: a grid of letters, one per pixel, and a palette
of what each letter means. The text button shows 字 from the program's
own glyph font. The window icon is also the application's icon in the
desktop's icon theme: drawn at every size the theme's hicolor folders
hold (hicolor/NNxNN/), each pixel the exact average of the part of the
32-pixel design it covers, and as an SVG file of the same squares. Run
from the top of the tree:

  python3 tools/make_icons.py resources/icons
  python3 tools/make_icons.py --check resources/icons   # exit 0 when the same
"""
import argparse
import math
import os
import struct
import sys
import zlib
from fractions import Fraction

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


# The application's reverse-DNS id (MORVEXA_APPLICATION_ID in CMakeLists.txt),
# which names its icon in the theme, and the sizes the theme gets it in.
APPLICATION_ID = "org.example.Morvexa"
THEME_SIZES = (16, 24, 32, 48, 64, 128, 256)
ICON_SIZE = 32


def window_icon_squares(font):
    """The window icon's design on a 32 x 32 grid, as rectangles painted in
    order, each (x, y, width, height, color): a sheet of paper with 字 drawn
    on it in dollar signs' color, one rectangle a run of its pixels."""
    squares = [(3, 1, 26, 30, PALETTE["k"]), (4, 2, 24, 28, (255, 255, 250, 255))]
    zi = glyph_grid(font, 0xD7, 0xD6, True, False)
    for y, row in enumerate(zi):
        x = 0
        while x < 16:
            if not row[x]:
                x += 1
                continue
            end = x
            while end < 16 and row[end]:
                end += 1
            squares.append((8 + x, 8 + y, end - x, 1, PALETTE["o"]))
            x = end
    return squares


def window_icon(font):
    """32 x 32 pixels, one a grid square of the design."""
    out = [[(0, 0, 0, 0)] * ICON_SIZE for _ in range(ICON_SIZE)]
    for x0, y0, width, height, color in window_icon_squares(font):
        for y in range(y0, y0 + height):
            out[y][x0 : x0 + width] = [color] * width
    return out


def window_icon_svg(font):
    """The same design as an SVG document: each color one path of squares."""
    paths = {}
    for x, y, width, height, color in window_icon_squares(font):
        paths.setdefault(color, []).append(f"M{x} {y}h{width}v{height}h{-width}z")
    body = "".join(
        f'  <path fill="#{r:02x}{g:02x}{b:02x}" d="{"".join(d)}"/>\n' for (r, g, b, _), d in paths.items()
    )
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{ICON_SIZE}" height="{ICON_SIZE}"'
        f' viewBox="0 0 {ICON_SIZE} {ICON_SIZE}">\n{body}</svg>\n'
    )


def resample(pixels, size):
    """The picture at size x size pixels, each the exact average (weighted
    by alpha) of the area of the original it covers: whole multiples repeat
    pixels, and other sizes blend those at their edges."""
    n = len(pixels)

    def shares(i):
        lo, hi = Fraction(i * n, size), Fraction((i + 1) * n, size)
        return [(s, min(hi, s + 1) - max(lo, Fraction(s))) for s in range(math.floor(lo), math.ceil(hi))]

    def rounded(value):
        return math.floor(value + Fraction(1, 2))

    spans = [shares(i) for i in range(size)]
    out = []
    for rows in spans:
        line = []
        for columns in spans:
            alpha, sums = Fraction(0), [Fraction(0)] * 3
            for y, wy in rows:
                for x, wx in columns:
                    r, g, b, a = pixels[y][x]
                    weight = wy * wx * a
                    alpha += weight
                    sums = [total + weight * c for total, c in zip(sums, (r, g, b))]
            if alpha == 0:
                line.append((0, 0, 0, 0))
            else:
                area = Fraction(n * n, size * size)
                line.append(tuple(rounded(total / alpha) for total in sums) + (rounded(alpha / area),))
        out.append(line)
    return out


def png(pixels):
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\x00" + b"".join(struct.pack("BBBB", *p) for p in row) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    return data + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def images(font):
    """Every file drawn, by its path in the icons folder."""
    icon = window_icon(font)
    files = {
        "text.png": png(glyph_grid(font, 0xD7, 0xD6, PALETTE["b"])),
        "picture.png": png(grid(PICTURE)),
        "about.png": png(grid(ABOUT)),
        "replace.png": png(grid(REPLACE)),
        "save.png": png(grid(SAVE)),
        APPLICATION_ID + ".svg": window_icon_svg(font).encode("utf-8"),
    }
    for size in THEME_SIZES:
        files[f"hicolor/{size}x{size}/{APPLICATION_ID}.png"] = png(resample(icon, size))
    return files


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder", nargs="?", default="resources/icons", help="where the images go")
    parser.add_argument("--check", action="store_true", help="compare with the files in FOLDER instead of writing")
    args = parser.parse_args()
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "..", "resources", "chs16.bin"), "rb") as f:
        font = f.read()
    differ = []
    for name, data in images(font).items():
        path = os.path.join(args.folder, name)
        if args.check:
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except FileNotFoundError:
                same = False
            if not same:
                differ.append(path)
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    for path in differ:
        print(f"{path} is missing or differs from what tools/make_icons.py draws", file=sys.stderr)
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
