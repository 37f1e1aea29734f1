#!/usr/bin/python3
"""Checks the symbols that plain shapes leave out, as terminal fonts draw
them too unlike the built-in font: each printable ASCII symbol is drawn in
GNU Unifont (unifont.hex) and in DejaVu Sans Mono (the Debian package's
file, drawn by Pillow at 53 px into 32 x 64 pixels and averaged 4 x 4 down
to a cell of 8 x 16, as bench/art_quality.py draws it), both blurred as the
engine blurs a glyph (a Gaussian of one pixel, as far as four pixels, the
cell's edges paper). A symbol is unlike when the mean square difference of
the two, over the square of the densest glyph's share of ink in Unifont,
is above 0.3. The list must be the engine's (kUnlikeInTerminals)."""
import re
import sys

import numpy as np
from PIL import Image, ImageDraw, ImageFont

UNIFONT = "/usr/share/unifont/unifont.hex"
DEJAVU = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"
SOURCE = sys.argv[1]  # engine/convert/shapes_to_art.cpp
LIMIT = 0.3


def unifont():
    glyphs = {}
    with open(UNIFONT, encoding="ascii") as f:
        for line in f:
            code, _, bits = line.strip().partition(":")
            code = int(code, 16)
            if 0x20 <= code <= 0x7E:
                rows = [int(bits[i:i + 2], 16) for i in range(0, 32, 2)]
                glyphs[chr(code)] = np.array([[(r >> (7 - x)) & 1 for x in range(8)] for r in rows], np.float64)
    return glyphs


def dejavu(font, symbol):
    canvas = Image.new("L", (32, 64), 0)
    ImageDraw.Draw(canvas).text((0, 0), symbol, font=font, fill=255, anchor="la")
    return (np.asarray(canvas, np.float64) / 255).reshape(16, 4, 8, 4).mean(axis=(1, 3))


def blurred(ink):
    taps = np.exp(-0.5 * np.arange(-4, 5) ** 2)
    taps /= taps.sum()
    padded = np.pad(ink, 4)
    across = np.array([np.convolve(row, taps, mode="valid") for row in padded])
    return np.array([np.convolve(column, taps, mode="valid") for column in across.T]).T


def main():
    font = ImageFont.truetype(DEJAVU, 53)
    ours = unifont()
    symbols = [chr(c) for c in range(0x20, 0x7F)]
    densest = max(ours[s].mean() for s in symbols)
    unlike = sorted(s for s in symbols
                    if ((blurred(ours[s]) - blurred(dejavu(font, s))) ** 2).mean() / densest ** 2 > LIMIT)
    found = re.search(r'kUnlikeInTerminals = "([^"]*)"', open(SOURCE, encoding="utf-8").read())
    if not found:
        print("%s has no kUnlikeInTerminals" % SOURCE)
        return 1
    listed = sorted(found.group(1).encode().decode("unicode_escape"))
    if listed != unlike:
        print("the engine leaves out %r; the fonts say %r" % ("".join(listed), "".join(unlike)))
        return 1
    print("symbols left out, as the fonts say: %r" % "".join(unlike))
    return 0


sys.exit(main())
