#!/usr/bin/python3
"""Measure how faithfully text art reproduces a photograph.

Each art (plain text or ANSI-colored text) is drawn as a picture: one
character per cell of 8 x 16 pixels, in one of two model fonts, and compared
with the photograph resized to exactly the drawing's size.  A double-width
character (East Asian width W or F, the characters wcwidth gives 2, such as
Chinese characters and the full-width space U+3000) takes two cells, 16 x 16
pixels, as a terminal gives it.

Measures
--------
likeness  how alike the two pictures look from a distance, in gray: both
          are blurred by Gaussians of sigma 2, 4 and 8 px
          (skimage.filters.gaussian, edges extended by their nearest
          pixel), the Pearson correlation of the two is taken at each blur,
          and likeness is the mean of the three.  1.0 is a drawing whose
          tones vary exactly as the photo's do; a blank page (or any flat
          drawing) scores 0; a mosaic of each cell's mean color about 0.97
          (0.98 on most photographs, 0.90 on the Hubble deep field's stars).
          Unlike SSIM it gives nothing for leaving smooth parts of the photo
          blank, and it ignores a uniform change of brightness or contrast.
ssim      skimage.metrics.structural_similarity of the two pictures in gray
          (skimage.color.rgb2gray luma, data_range 1.0, default 7x7 uniform
          window).  Higher is better; 1.0 is identical.
ssim4     the same after both gray pictures are area-averaged 4 x 4 (2 x 4
          px a cell): the art seen from farther away, glyphs blended into
          tones.
dE        mean CIEDE2000 (skimage.color.deltaE_ciede2000) between each
          cell's average color in the drawing and the same cell's average
          color in the resized photograph (averages of sRGB values, then
          CIELAB).  Lower is better.

Model fonts (--fonts, --font-file)
----------------------------------
unifont  GNU Unifont's own bitmap glyphs, read from unifont.hex, ink 0 or
         1: an 8x16 glyph is exactly one cell, and a double-width
         character's 16x16 glyph exactly its two cells, at full size.  A
         16x16 glyph of a character of single width is squeezed into its
         cell by averaging pairs of columns.
dejavu   DejaVu Sans Mono drawn as any font file is (below): at 53 px
         (advance 31.9 px, ascent + descent 63 px), an anti-aliased glyph
         whose advance is 8 px and line 16 px (to within 0.3%).
NAME=FILE  (--font-file, repeatable) any TrueType or OpenType font file
         (of a collection, .ttc, its first face), drawn by PIL at the pixel
         size that makes the advance of "M" 32 px (rounded to a whole size)
         into a 32 x 64 canvas, top of the ascender on the canvas' top
         edge, then area-averaged 4 x 4 down to 8 x 16.  What lies past the
         canvas is cut: a font whose ascent + descent at that size exceeds
         64 px loses the bottom of its descenders.  A double-width
         character is drawn into a 64 x 64 canvas and area-averaged down to
         its two cells; a glyph of a single-width character whose advance is
         over 1.5 cells is drawn so too and squeezed into its one cell, as
         Unifont's are.  NAME, the
         font's name in the results (likeness_NAME...), is the family name
         in lower case with "-" for spaces when left out.
In outline fonts, glyphs the font lacks (its .notdef glyph would be drawn)
fall back to Unifont.

In every font Unicode block elements (U+2580-U+259F) and braille patterns
(U+2800-U+28FF) are drawn from their geometry, not from a font: eighths are
exact 2 px rows or 1 px columns, quadrants exact 4 x 8 quarters, and a
braille dot a 2 x 2 px square in the middle of its 4 x 4 px quarter-column x
quarter-row of the cell.  The shades U+2591-U+2593 are the font's own
stipples, as terminals draw them: not flat gray.

Colors
------
ANSI SGR sequences are parsed: 38;2;r;g;b / 48;2;r;g;b, 38;5;n / 48;5;n (the
xterm 256-color palette), 30-37, 90-97, 40-47, 100-107 (xterm's 16 colors),
39, 49 and 0 (back to the default), 7 / 27 (reverse video).  Other escape
sequences are skipped; CSI n b (repeat the last character) and CSI n C
(cursor forward) are honored.  A cell's pixel is bg + (fg - bg) * ink.
The default colors are black ink on white paper, or white on black with
--light-on-dark (or a tool name ending in ":dark").  Art of 16 or 256
colors is thus seen as xterm's default palette shows it, whichever palette
the tool assumed when it picked the colors.

Usage
-----
  art_quality.py PHOTO... [--widths 80,120] [--tool NAME=COMMAND]...
  art_quality.py PHOTO --art FILE [--art FILE...]  # score art already made
  art_quality.py PHOTO... --font-file [NAME=]FILE... --tool NAME@FONT=...

COMMAND is run by the shell after {photo}, {cols} and {lines} are replaced
(quoted as needed).  {lines} is round(cols * photo_height / photo_width / 2),
at least 1: the line count a 1:2 cell gives, passed to every tool so that all
of them draw exactly the same grid.  A command given by several tools is
run once (for each photo and width), its art measured under each name.  A
tool named NAME@FONT made its art for the model font FONT: it is drawn in
that font alone.  Without --tool the peers of
PEER_COMMANDS below are run (those whose program is on PATH).  Two
reference arts made without any tool are always scored too (unless
--no-references): "blank", every cell a space (plain paper), and "mosaic",
every cell a space on the cell's average color.  They are the floor: SSIM
gives flat cells high marks wherever the photo is smooth, so a blank page
already scores about 0.30 on photographs.

With --save-art DIR each art's text is kept as DIR/PHOTO-COLS-TOOL.txt
(PHOTO without its extension), for bench/art_sheets.py to draw again
without running the tools.
"""

import argparse
import gzip
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import time
import unicodedata

import numpy as np
from PIL import Image, ImageDraw, ImageFont
from skimage.color import deltaE_ciede2000, rgb2gray, rgb2lab
from skimage.filters import gaussian
from skimage.metrics import structural_similarity

CELL_W, CELL_H = 8, 16

# The second cell of a double-width character holds the character followed
# by this mark (see parse_ansi): its ink is the right half of the glyph.
RIGHT_HALF = "\0"


def is_wide(ch):
    """Whether a terminal gives ch two cells (wcwidth 2): East Asian width
    Wide or Fullwidth."""
    return unicodedata.east_asian_width(ch) in ("W", "F")


# The peers measured by default: name -> shell command.  See REPORT.md for
# why each flag is there.  A name ending in ":dark" is drawn light on dark.
PEER_COMMANDS = {
    "chafa-ascii-mono":
        "chafa -f symbols --symbols ascii -c none --invert -w 9 -O 0 "
        "--size {cols}x{lines} --stretch {photo}",
    "chafa-ascii-color":
        "chafa -f symbols --symbols ascii -c full -w 9 -O 0 "
        "--size {cols}x{lines} --stretch {photo}",
    "chafa-default-color":
        "chafa -f symbols -c full -w 9 -O 0 "
        "--size {cols}x{lines} --stretch {photo}",
    # The same two symbol sets at the xterm 256-color palette (38;5;n and
    # 48;5;n) and at the 16 colors (30-37, 90-97, 40-47, 100-107).  chafa's
    # own defaults stand otherwise: at 16 colors that includes its
    # preprocessing of the picture (-p, on at 16 colors or fewer).
    "chafa-ascii-256":
        "chafa -f symbols --symbols ascii -c 256 -w 9 -O 0 "
        "--size {cols}x{lines} --stretch {photo}",
    "chafa-default-256":
        "chafa -f symbols -c 256 -w 9 -O 0 "
        "--size {cols}x{lines} --stretch {photo}",
    "chafa-ascii-16":
        "chafa -f symbols --symbols ascii -c 16 -w 9 -O 0 "
        "--size {cols}x{lines} --stretch {photo}",
    "chafa-default-16":
        "chafa -f symbols -c 16 -w 9 -O 0 "
        "--size {cols}x{lines} --stretch {photo}",
    "jp2a-mono":
        "jp2a --background=light --size={cols}x{lines} {photo}",
    "jp2a-color":
        "jp2a --colors --color-depth=24 --fill --background=light "
        "--size={cols}x{lines} {photo}",
}

DEFAULT_UNIFONT_HEX = "/usr/share/unifont/unifont.hex"
DEFAULT_DEJAVU = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"


# ----------------------------------------------------------------- glyphs

def load_unifont_hex(path):
    """Return {codepoint: float32 array (16, 8) or (16, 16) of ink 0/1}
    from a .hex file: each glyph at its own width."""
    opener = gzip.open if path.endswith(".gz") else open
    glyphs = {}
    with opener(path, "rt", encoding="ascii") as f:
        for line in f:
            code, _, bits = line.strip().partition(":")
            if not bits:
                continue
            width = len(bits) // 4  # 32 hex digits: 8 wide, 64: 16 wide
            value = int(bits, 16)
            n = width * 16
            flat = [(value >> (n - 1 - i)) & 1 for i in range(n)]
            glyphs[int(code, 16)] = np.array(flat, np.float32).reshape(16, width)
    return glyphs


def geometric_glyph(cp):
    """Ink (16, 8) of a block element or braille pattern, or None."""
    g = np.zeros((CELL_H, CELL_W), np.float32)
    if 0x2800 <= cp <= 0x28FF:
        bits = cp - 0x2800
        # dot number -> (column, row) of the 2 x 4 braille grid
        dots = [(0, 0), (0, 1), (0, 2), (1, 0), (1, 1), (1, 2), (0, 3), (1, 3)]
        for bit, (cx, cy) in enumerate(dots):
            if bits >> bit & 1:
                g[cy * 4 + 1:cy * 4 + 3, cx * 4 + 1:cx * 4 + 3] = 1
        return g
    if not 0x2580 <= cp <= 0x259F:
        return None
    if cp == 0x2580:
        g[:8] = 1
    elif 0x2581 <= cp <= 0x2588:          # lower 1/8 .. full block
        g[CELL_H - 2 * (cp - 0x2580):] = 1
    elif 0x2589 <= cp <= 0x258F:          # left 7/8 .. left 1/8
        g[:, :0x2590 - cp] = 1
    elif cp == 0x2590:
        g[:, 4:] = 1
    elif 0x2591 <= cp <= 0x2593:          # shades: the font's own stipple
        return None
    elif cp == 0x2594:
        g[:2] = 1
    elif cp == 0x2595:
        g[:, 7:] = 1
    else:                                 # quadrants U+2596..U+259F
        quads = {0x2596: "l", 0x2597: "r", 0x2598: "L", 0x2599: "Llr",
                 0x259A: "Lr", 0x259B: "LRl", 0x259C: "LRr", 0x259D: "R",
                 0x259E: "Rl", 0x259F: "Rlr"}[cp]
        # L/R: upper left/right, l/r: lower left/right
        for q in quads:
            ys = slice(0, 8) if q.isupper() else slice(8, 16)
            xs = slice(0, 4) if q.lower() == "l" else slice(4, 8)
            g[ys, xs] = 1
    return g


# An outline font is drawn at the size that makes its advance this wide.
OUTLINE_ADVANCE = CELL_W * 4


def outline_size(path):
    """The whole pixel size at which the advance of "M" in the font file
    is nearest OUTLINE_ADVANCE (32 px): 53 for DejaVu Sans Mono."""
    probe = ImageFont.truetype(path, 1000)
    return round(OUTLINE_ADVANCE * 1000 / probe.getlength("M"))


def font_slug(family):
    """The name a font family goes by in the results: "dejavu-sans-mono"."""
    return re.sub(r"[^a-z0-9]+", "-", family.lower()).strip("-")


class ModelFont:
    """Ink coverage of characters in one model font, cached per character:
    "unifont" (its bitmaps), or any other name for an outline font drawn
    from path ("dejavu": DejaVu Sans Mono unless path says otherwise)."""

    def __init__(self, name, unifont, path=None):
        self.name = name
        self.unifont = unifont
        self.cache = {}
        self.wide_cache = {}
        self.pil = None
        self.family = "GNU Unifont"
        if name != "unifont":
            if path is None:
                if name != "dejavu":
                    raise ValueError(f"model font {name} needs a font file")
                path = DEFAULT_DEJAVU
            self.path = path
            self.pil = ImageFont.truetype(path, outline_size(path))
            self.family = self.pil.getname()[0]
            self.notdef = self._draw_pil("\uffff")
            self.wide_notdef = self._draw_pil("\uffff", wide=True)

    def _draw_pil(self, ch, wide=False):
        """Ink of ch drawn by PIL: (16, 8), or (16, 16) when wide."""
        squeeze = 2 if wide or self.pil.getlength(ch) > 1.5 * OUTLINE_ADVANCE else 1
        ascent, descent = self.pil.getmetrics()
        tall = ascent + descent > CELL_H * 4
        canvas = Image.new("L", (CELL_W * 4 * squeeze, max(CELL_H * 4, ascent + descent)), 0)
        ImageDraw.Draw(canvas).text((0, 0), ch, font=self.pil, fill=255,
                                    anchor="la")
        if tall:
            # A font taller than the canvas (its ascent and descent): its
            # whole line squeezed into the cell, as a terminal makes its
            # cells that tall, rather than its descenders cut off.
            canvas = canvas.resize((CELL_W * 4 * squeeze, CELL_H * 4), Image.BOX,
                                   box=(0, 0, canvas.width, ascent + descent))
        a = np.asarray(canvas, np.float32) / 255.0
        width = CELL_W * (2 if wide else 1)
        return a.reshape(CELL_H, 4, width, a.shape[1] // width).mean(axis=(1, 3))

    def _unifont(self, cp, wide=False):
        """Unifont's ink of cp at the width of one cell, or of two when
        wide (a glyph of 8 columns in the first of them), or None."""
        g = self.unifont.get(cp)
        if g is None:
            return None
        if wide and g.shape[1] == CELL_W:
            return np.concatenate([g, np.zeros_like(g)], axis=1)
        if not wide and g.shape[1] == 2 * CELL_W:
            return g.reshape(CELL_H, CELL_W, 2).mean(axis=2)
        return g

    def wide_ink(self, ch):
        """Ink (16, 16) of a double-width character over its two cells."""
        g = self.wide_cache.get(ch)
        if g is not None:
            return g
        cp = ord(ch)
        g = None
        if self.pil is not None:
            g = self._draw_pil(ch, wide=True)
            if np.array_equal(g, self.wide_notdef) and cp in self.unifont:
                g = None
        if g is None:
            g = self._unifont(cp, wide=True)
        if g is None:
            g = np.zeros((CELL_H, 2 * CELL_W), np.float32)
        self.wide_cache[ch] = g
        return g

    def ink(self, ch):
        """Ink (16, 8) of the cell of ch: a character, or a double-width
        character followed by RIGHT_HALF for its second cell."""
        g = self.cache.get(ch)
        if g is not None:
            return g
        if len(ch) == 2 and ch[1] == RIGHT_HALF:
            g = self.wide_ink(ch[0])[:, CELL_W:]
            self.cache[ch] = g
            return g
        if is_wide(ch):
            g = self.wide_ink(ch)[:, :CELL_W]
            self.cache[ch] = g
            return g
        cp = ord(ch)
        g = geometric_glyph(cp)
        if g is None and cp == 0x20:
            g = np.zeros((CELL_H, CELL_W), np.float32)
        if g is None and self.pil is not None:
            g = self._draw_pil(ch)
            if np.array_equal(g, self.notdef) and cp in self.unifont:
                g = None
        if g is None:
            g = self._unifont(cp)
        if g is None:
            g = np.zeros((CELL_H, CELL_W), np.float32)
        self.cache[ch] = g
        return g


def font_file_option(text, unifont):
    """The model font of a --font-file value, "[NAME=]FILE"."""
    name, sep, path = text.partition("=")
    if not sep or "/" in name:
        name, path = "", text
    if not os.path.isfile(path):
        sys.exit(f"{os.path.basename(sys.argv[0])}: no font file {path!r}")
    try:
        font = ModelFont(name or "outline", unifont, path)
    except OSError as e:
        sys.exit(f"{os.path.basename(sys.argv[0])}: cannot read the font "
                 f"{path!r}: {e}")
    if not name:
        font.name = font_slug(font.family)
    if font.name in ("unifont", "dejavu"):
        sys.exit(f"{os.path.basename(sys.argv[0])}: the font name "
                 f"{font.name!r} is taken; give another as NAME=FILE")
    return font


# ------------------------------------------------------------- ANSI text

def xterm_palette():
    """The xterm 256-color palette as a (256, 3) uint8 array."""
    base16 = ["000000", "cd0000", "00cd00", "cdcd00", "0000ee", "cd00cd",
              "00cdcd", "e5e5e5", "7f7f7f", "ff0000", "00ff00", "ffff00",
              "5c5cff", "ff00ff", "00ffff", "ffffff"]
    pal = [tuple(int(h[i:i + 2], 16) for i in (0, 2, 4)) for h in base16]
    levels = [0, 95, 135, 175, 215, 255]
    pal += [(levels[i // 36], levels[i // 6 % 6], levels[i % 6])
            for i in range(216)]
    pal += [(8 + 10 * i,) * 3 for i in range(24)]
    return np.array(pal, np.uint8)


PALETTE = xterm_palette()
TOKEN = re.compile(r"\x1b\[([0-9;:?<=>]*)([ -/]*[@-~])|\x1b\][^\x07\x1b]*"
                   r"(?:\x07|\x1b\\)|\x1b[P^_][^\x1b]*\x1b\\|\x1b[ -/]*[0-~]"
                   r"|([^\x1b])", re.S)


def parse_ansi(text, palette=None):
    """Parse art text into rows of cells (char, fg, bg, reverse).

    A double-width character (is_wide) takes two cells: the first holds
    it, the second it followed by RIGHT_HALF.  fg and bg are (r, g, b)
    tuples or None for the default color.  The indexed colors are
    palette's, a (256, 3) array (xterm's by default).
    """
    colors = PALETTE if palette is None else palette
    rows, row = [], []
    fg = bg = None
    reverse = False
    last = None
    for m in TOKEN.finditer(text):
        params, final, ch = m.group(1), m.group(2), m.group(3)
        if ch is not None:
            if ch == "\n":
                rows.append(row)
                row = []
            elif ch == "\t":
                row.extend([(" ", None, bg, reverse)] * (8 - len(row) % 8))
            elif ord(ch) >= 0x20 and ch != "\x7f":
                last = [(ch, fg, bg, reverse)]
                if is_wide(ch):
                    last.append((ch + RIGHT_HALF, fg, bg, reverse))
                row.extend(last)
            continue
        if final is None:
            continue  # other escape sequences
        nums = [int(p) if p.isdigit() else 0
                for p in params.replace(":", ";").split(";")] if params else [0]
        if final == "b" and last is not None:
            row.extend(last * max(nums[0], 1))
        elif final == "C":
            row.extend([(" ", None, bg, reverse)] * max(nums[0], 1))
        elif final == "m" and not params.startswith(("?", "<", "=", ">")):
            i = 0
            while i < len(nums):
                n = nums[i]
                if n == 0:
                    fg = bg = None
                    reverse = False
                elif n == 7:
                    reverse = True
                elif n == 27:
                    reverse = False
                elif 30 <= n <= 37:
                    fg = tuple(colors[n - 30])
                elif 90 <= n <= 97:
                    fg = tuple(colors[n - 90 + 8])
                elif 40 <= n <= 47:
                    bg = tuple(colors[n - 40])
                elif 100 <= n <= 107:
                    bg = tuple(colors[n - 100 + 8])
                elif n == 39:
                    fg = None
                elif n == 49:
                    bg = None
                elif n in (38, 48) and i + 1 < len(nums):
                    color = None
                    if nums[i + 1] == 5 and i + 2 < len(nums):
                        color = tuple(colors[nums[i + 2] & 255])
                        i += 2
                    elif nums[i + 1] == 2 and i + 4 < len(nums):
                        color = tuple(min(v, 255) for v in nums[i + 2:i + 5])
                        i += 4
                    if n == 38:
                        fg = color
                    else:
                        bg = color
                i += 1
    if row:
        rows.append(row)
    while rows and not rows[-1]:
        rows.pop()
    return rows


def render(rows, font, light_on_dark=False, defaults=None):
    """Draw parsed art as a float RGB picture in [0, 1], 8 x 16 px a cell.
    The default colors are black ink on white paper (light_on_dark: white
    on black), or defaults, a pair of (r, g, b): ink, paper."""
    ink_default = (255, 255, 255) if light_on_dark else (0, 0, 0)
    paper_default = (0, 0, 0) if light_on_dark else (255, 255, 255)
    if defaults is not None:
        ink_default, paper_default = defaults
    lines = len(rows)
    cols = max((len(r) for r in rows), default=0)
    chars = {}
    idx = np.zeros((lines, cols), np.int32)
    fgs = np.empty((lines, cols, 3), np.float32)
    bgs = np.empty((lines, cols, 3), np.float32)
    fgs[:] = ink_default
    bgs[:] = paper_default
    space = chars.setdefault(" ", 0)
    idx[:] = space
    for y, r in enumerate(rows):
        for x, (ch, fg, bg, rev) in enumerate(r):
            idx[y, x] = chars.setdefault(ch, len(chars))
            f = ink_default if fg is None else fg
            b = paper_default if bg is None else bg
            if rev:
                f, b = b, f
            fgs[y, x] = f
            bgs[y, x] = b
    table = np.zeros((len(chars), CELL_H, CELL_W), np.float32)
    for ch, i in chars.items():
        table[i] = font.ink(ch)
    ink = table[idx][..., None]                       # L, C, 16, 8, 1
    fg = fgs[:, :, None, None, :] / 255.0
    bg = bgs[:, :, None, None, :] / 255.0
    pic = bg + (fg - bg) * ink                        # L, C, 16, 8, 3
    return pic.transpose(0, 2, 1, 3, 4).reshape(lines * CELL_H, cols * CELL_W, 3)


# ---------------------------------------------------------------- scoring

def load_photo(path):
    im = Image.open(path)
    if im.mode in ("RGBA", "LA", "P"):
        im = im.convert("RGBA")
        white = Image.new("RGBA", im.size, (255, 255, 255, 255))
        im = Image.alpha_composite(white, im)
    return im.convert("RGB")


def resize_photo(photo, width, height):
    """The photo at exactly width x height: area average when shrinking
    both ways, Lanczos (anti-aliased) otherwise."""
    if width <= photo.width and height <= photo.height:
        resample = Image.BOX
    else:
        resample = Image.LANCZOS
    return np.asarray(photo.resize((width, height), resample),
                      np.float32) / 255.0


def shrink(pic, f):
    """Area average of pic by f x f pixels."""
    h, w = pic.shape[0] // f, pic.shape[1] // f
    return pic[:h * f, :w * f].reshape(h, f, w, f, *pic.shape[2:]).mean(
        axis=(1, 3))


LIKENESS_SIGMAS = (2, 4, 8)


def correlation(a, b):
    """Pearson correlation of two pictures of one size; 0 when either is
    flat (a blank page has no tones to follow, which is not a NaN)."""
    a = a - a.mean()
    b = b - b.mean()
    # A flat picture blurred keeps rounding noise of about 1e-16: anything
    # under 1e-6 of spread (in tones 0..1) counts as flat.
    if a.std() < 1e-6 or b.std() < 1e-6:
        return 0.0
    return float((a * b).sum() / np.sqrt((a * a).sum() * (b * b).sum()))


def likeness(gray_reference, gray_drawing):
    """Mean over LIKENESS_SIGMAS of the correlation of the two gray
    pictures, both blurred by a Gaussian of that sigma (in pixels)."""
    return float(np.mean([
        correlation(gaussian(gray_reference, sigma=s, mode="nearest"),
                    gaussian(gray_drawing, sigma=s, mode="nearest"))
        for s in LIKENESS_SIGMAS]))


def score(reference, drawing):
    """(likeness, ssim, ssim4, mean CIEDE2000 of cell averages) of a
    drawing vs its reference.  ssim4 is SSIM of both pictures area-averaged
    4 x 4 first (2 x 4 px a cell): a view from farther away, where glyphs
    blend into tones and only coarse shapes remain."""
    gr, gd = rgb2gray(reference), rgb2gray(drawing)
    like = likeness(gr, gd)
    ssim = structural_similarity(gr, gd, data_range=1.0)
    ssim4 = structural_similarity(shrink(gr, 4), shrink(gd, 4),
                                  data_range=1.0)
    h, w = drawing.shape[:2]
    lines, cols = h // CELL_H, w // CELL_W

    def cells(pic):
        return pic.reshape(lines, CELL_H, cols, CELL_W, 3).mean(axis=(1, 3))

    de = deltaE_ciede2000(rgb2lab(cells(reference)), rgb2lab(cells(drawing)))
    return like, float(ssim), float(ssim4), float(de.mean())


def reference_art(kind, reference):
    """Art of the same grid as reference made without any symbols: "blank"
    (every cell a space in the default colors) or "mosaic" (every cell a
    space on the cell's average color).  They are the floor a text art
    has to beat: SSIM rewards flat cells wherever the photo is smooth."""
    lines = reference.shape[0] // CELL_H
    cols = reference.shape[1] // CELL_W
    if kind == "blank":
        return [[(" ", None, None, False)] * cols for _ in range(lines)]
    avg = reference.reshape(lines, CELL_H, cols, CELL_W, 3).mean(axis=(1, 3))
    avg = np.clip(np.rint(avg * 255), 0, 255).astype(int)
    return [[(" ", None, tuple(avg[y, x]), False) for x in range(cols)]
            for y in range(lines)]


def grid_lines(photo, cols):
    return max(1, round(cols * photo.height / photo.width / 2))


# ------------------------------------------------------------------- main

def main():
    ap = argparse.ArgumentParser(
        description=__doc__.split("\n\n")[0],
        formatter_class=argparse.RawDescriptionHelpFormatter,
        epilog="See the module docstring (art_quality.py) for details.")
    ap.add_argument("photos", nargs="+", help="photographs (PNG, JPEG...)")
    ap.add_argument("--widths", default="80,120",
                    help="column counts, comma separated (default 80,120)")
    ap.add_argument("--tool", action="append", default=[],
                    metavar="NAME=COMMAND",
                    help="a tool to run; may be repeated; replaces the "
                    "default peers unless --peers is also given")
    ap.add_argument("--peers", action="store_true",
                    help="run the default peers as well as --tool ones")
    ap.add_argument("--only", help="comma separated tool names to run")
    ap.add_argument("--art", action="append", default=[],
                    help="score this art file against the (single) photo")
    ap.add_argument("--fonts",
                    help="model fonts: unifont, dejavu or both (default: "
                    "both, or none when --font-file is given)")
    ap.add_argument("--font-file", action="append", default=[],
                    metavar="[NAME=]FILE",
                    help="a model font drawn from a TrueType or OpenType "
                    "file (of a .ttc, its first face); may be repeated")
    ap.add_argument("--unifont-hex", default=DEFAULT_UNIFONT_HEX)
    ap.add_argument("--dejavu", default=DEFAULT_DEJAVU,
                    help="DejaVu Sans Mono font file")
    ap.add_argument("--light-on-dark", action="store_true",
                    help="default colors white on black for every tool")
    ap.add_argument("--no-references", action="store_true",
                    help="leave out the blank and mosaic reference arts")
    ap.add_argument("--save", metavar="DIR",
                    help="save each art and drawing (first font) into DIR")
    ap.add_argument("--save-art", metavar="DIR",
                    help="save each tool's art text into DIR, as "
                    "PHOTO-COLS-TOOL.txt")
    ap.add_argument("--json", metavar="FILE", help="write all results here")
    args = ap.parse_args()

    unifont = load_unifont_hex(args.unifont_hex)
    names = args.fonts
    if names is None:
        names = "" if args.font_file else "unifont,dejavu"
    fonts = [ModelFont(n, unifont, None if n == "unifont" else args.dejavu)
             for n in names.split(",") if n]
    fonts += [font_file_option(f, unifont) for f in args.font_file]
    if not fonts:
        sys.exit("art_quality.py: no model font to draw in")
    widths = [int(w) for w in args.widths.split(",")]

    tools = {}
    if args.peers or not args.tool:
        for name, cmd in PEER_COMMANDS.items():
            if shutil.which(cmd.split()[0]):
                tools[name] = cmd
            else:
                print(f"skipping {name}: {cmd.split()[0]} not found",
                      file=sys.stderr)
    for given in args.tool:
        name, _, cmd = given.partition("=")
        tools[name] = cmd
        drawn_in = name.split(":")[0].partition("@")[2]
        if drawn_in and drawn_in not in [f.name for f in fonts]:
            sys.exit(f"art_quality.py: tool {name} is drawn in {drawn_in}, "
                     f"which is not a model font of this run")
    if args.only:
        keep = args.only.split(",")
        tools = {k: v for k, v in tools.items() if k.split(":")[0] in keep}
    for folder in (args.save, args.save_art):
        if folder:
            os.makedirs(folder, exist_ok=True)

    results = []

    def measure(photo_path, photo, cols, name, text, seconds, command,
                rows=None, drawn_in=fonts):
        if rows is None:
            rows = parse_ansi(text)
        dark = args.light_on_dark or name.endswith(":dark")
        got_lines = len(rows)
        got_cols = max((len(r) for r in rows), default=0)
        entry = {"photo": os.path.basename(photo_path), "cols": cols,
                 "tool": name.split(":")[0], "grid": [got_cols, got_lines],
                 "seconds": round(seconds, 3), "command": command}
        if dark:
            entry["light_on_dark"] = True
        if not got_lines or not got_cols:
            print(f"{name}: no art", file=sys.stderr)
            return
        stem = f"{os.path.splitext(entry['photo'])[0]}-{cols}-{entry['tool']}"
        if args.save_art and text:
            with open(os.path.join(args.save_art, stem + ".txt"), "w",
                      encoding="utf-8") as f:
                f.write(text)
        ref = resize_photo(photo, got_cols * CELL_W, got_lines * CELL_H)
        for font in drawn_in:
            drawing = render(rows, font, dark)
            like, s, s4, d = score(ref, drawing)
            entry[f"likeness_{font.name}"] = round(like, 4)
            entry[f"ssim_{font.name}"] = round(s, 4)
            entry[f"ssim4_{font.name}"] = round(s4, 4)
            entry[f"dE_{font.name}"] = round(d, 3)
            if args.save and font is drawn_in[0]:
                Image.fromarray((drawing * 255 + 0.5).astype(np.uint8)).save(
                    os.path.join(args.save, stem + ".png"))
                with open(os.path.join(args.save, stem + ".txt"), "w",
                          encoding="utf-8") as f:
                    f.write(text)
        results.append(entry)
        print(json.dumps(entry), file=sys.stderr)

    for photo_path in args.photos:
        photo = load_photo(photo_path)
        for path in args.art:
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            cols = max(len(r) for r in parse_ansi(text))
            measure(photo_path, photo, cols, os.path.basename(path), text, 0,
                    path)
        if args.art:
            continue
        for cols in widths:
            lines = grid_lines(photo, cols)
            if not args.no_references:
                ref = resize_photo(photo, cols * CELL_W, lines * CELL_H)
                for kind in ("blank", "mosaic"):
                    measure(photo_path, photo, cols, kind, "", 0, "(none)",
                            reference_art(kind, ref))
            made = {}  # command -> (its run, seconds): each run once
            for name, template in tools.items():
                command = template.format(photo=shlex.quote(photo_path),
                                          cols=cols, lines=lines)
                if command not in made:
                    start = time.perf_counter()
                    done = subprocess.run(command, shell=True,
                                          capture_output=True)
                    made[command] = done, time.perf_counter() - start
                done, seconds = made[command]
                if done.returncode:
                    print(f"{name} failed: {command}\n"
                          f"{done.stderr.decode(errors='replace')}",
                          file=sys.stderr)
                    continue
                text = done.stdout.decode("utf-8", errors="replace")
                font = name.split(":")[0].partition("@")[2]
                measure(photo_path, photo, cols, name, text, seconds, command,
                        drawn_in=[f for f in fonts if not font
                                  or f.name == font])

    print_table(results, [f.name for f in fonts])
    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=1)


def print_table(results, font_names):
    cols = [f"{m}_{n}" for m in ("likeness", "ssim", "ssim4", "dE")
            for n in font_names]
    width = max(len(c) for c in cols)
    head = "".join(f" {c:>{width}}" for c in cols)
    print(f"{'photo':<22} {'cols':>4} {'tool':<24}" + head)
    for r in results:
        print(f"{r['photo']:<22} {r['cols']:>4} {r['tool']:<24}" + "".join(
            f" {r.get(c, float('nan')):>{width}.4f}" for c in cols))
    print()
    print(f"{'average':<22} {'cols':>4} {'tool':<24}" + head)
    tools = list(dict.fromkeys(r["tool"] for r in results))
    widths = sorted(set(r["cols"] for r in results)) + ["all"]
    for t in tools:
        for w in widths:
            sel = [r for r in results
                   if r["tool"] == t and (w == "all" or r["cols"] == w)]
            if not sel:
                continue
            print(f"{'':<22} {w:>4} {t:<24}" + "".join(
                f" {np.mean([r.get(c, np.nan) for r in sel]):>{width}.4f}"
                for c in cols))

if __name__ == "__main__":
    main()
