#!/usr/bin/python3
"""Compares how much of a terminal's cell each printable ASCII glyph of a
font covers, as the program measured it, with the same drawn by Pillow
(its own FreeType rendering): the cell the glyph's advance wide and the
font's ascent plus descent high, the glyph on its baseline, area-averaged
to WIDE x HIGH samples.

Usage: font_coverage.py FONT PIXELS WIDE HIGH MEASURED
MEASURED holds a line for each symbol from 0x20 to 0x7E: its samples, row
by row, each 0-1 (or nothing, for Pillow's alone). Prints a line for each:
the symbol's code, the mean and the largest difference of its samples, and
the share of the cell Pillow's glyph inks."""
import sys

from PIL import Image, ImageDraw, ImageFont

font_path, pixels, wide, high, measured = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), \
    sys.argv[5]
font = ImageFont.truetype(font_path, pixels)
ascent, descent = font.getmetrics()
rows = open(measured).read().split("\n") if measured != "-" else []
for k, code in enumerate(range(0x20, 0x7F)):
    ours = [float(v) for v in rows[k].split()] if k < len(rows) and rows[k] else []
    advance = font.getlength(chr(code))
    canvas = Image.new("L", (int(advance) + 2, ascent + descent + 2), 0)
    ImageDraw.Draw(canvas).text((0, 0), chr(code), font=font, fill=255, anchor="la")
    drawn = canvas.resize((wide, high), Image.BOX, box=(0, 0, advance, ascent + descent))
    theirs = [v / 255 for v in drawn.getdata()]
    differences = [abs(a - b) for a, b in zip(ours, theirs)] or [0]
    print(code, sum(differences) / len(differences), max(differences), sum(theirs) / len(theirs))
