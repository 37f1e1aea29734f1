#!/usr/bin/python3
"""How like its photograph the window's 形状 art is on the screen, beside
the command line's art drawn in DejaVu Sans Mono.

Run by bench/window_art.sh, which shows each photograph in the real window
(`morvexa --shapes --width COLS PHOTO`) and takes three screenshots of it:
as shown, with all the art selected, and with its first line selected.
The selection's extent is the art's: its columns and lines, and the size of
a cell in the window's own font.  The art as shown is cut to that extent,
scaled so that a cell is 8 px wide (its height in the font's proportion),
and scored against the photograph resized to the same size by
bench/art_quality.py's likeness and pixel SSIM, in gray.

The command line's art of the same photograph and columns, matched to
DejaVu Sans Mono (--glyphs-of), is drawn in it by art_quality.py (8 x 16 px
cells) and scored the same way.

Usage: window_art.py CLI RUNS_DIR SHEET|-
RUNS_DIR holds, for each run, PHOTO-COLS.{shot,all,first}.png and
PHOTO-COLS.photo (the photograph's path).  SHEET (a PNG, or - for none)
shows the first three photographs at the first width beside the window's screenshot and
the command line's art in DejaVu Sans Mono.
"""
import glob
import os
import subprocess
import sys

import numpy as np
from PIL import Image
from skimage.color import rgb2gray
from skimage.metrics import structural_similarity

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import art_quality as aq  # noqa: E402

# The goal: the window's art as like the photograph as the command line's.
GOAL = 1.0


def selected(path):
    """The box (left, top, right, bottom) of the selection's color in a
    screenshot of the window: the highlight, bluer than any gray the art is
    drawn in, in the output area (the window less the buttons on its right
    and the boxes under it)."""
    a = np.asarray(Image.open(path).convert("RGB"), np.int32)[:-71, :-60]
    blue = (a[..., 2] - a[..., 0] > 60) & (a[..., 2] > 150)
    ys, xs = np.nonzero(blue)
    if not len(xs):
        sys.exit(f"window_art.py: nothing selected in {path}")
    return xs.min(), ys.min(), xs.max() + 1, ys.max() + 1


def scores(photo, drawing):
    """(likeness, SSIM) of a drawing (RGB floats 0-1) against the photo."""
    ref = aq.resize_photo(photo, drawing.shape[1], drawing.shape[0])
    gr, gd = rgb2gray(ref), rgb2gray(drawing)
    return aq.likeness(gr, gd), float(structural_similarity(gr, gd, data_range=1.0))


def window_drawing(stem, cols):
    """The window's art as shown, a cell 8 px wide, and its lines."""
    left, top, right, bottom = selected(stem + ".all.png")
    line = selected(stem + ".first.png")
    line_height = line[3] - line[1]
    lines = round((bottom - top) / line_height)
    shot = Image.open(stem + ".shot.png").convert("RGB").crop((left, top, right, bottom))
    cell_width = (right - left) / cols
    size = (cols * aq.CELL_W, round((bottom - top) * aq.CELL_W / cell_width))
    shown = shot.resize(size, Image.LANCZOS)
    return np.asarray(shown, np.float32) / 255.0, lines, (cell_width, line_height)


def cli_drawing(cli, photo_path, photo, cols, font):
    lines = aq.grid_lines(photo, cols)
    art = subprocess.run([cli, "picture", photo_path, "--width", str(cols), "--height", str(lines), "--shapes",
                          "--format", "utf8", "--glyphs-of", font.path],
                         check=True, capture_output=True).stdout.decode("utf-8")
    return aq.render(aq.parse_ansi(art), font)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__.split("Usage: ")[1].split("\n")[0])
    cli, runs, sheet = sys.argv[1:]
    unifont = aq.load_unifont_hex(aq.DEFAULT_UNIFONT_HEX)
    dejavu = aq.ModelFont("dejavu", unifont)
    rows, shown = [], []
    for photo_file in sorted(glob.glob(os.path.join(runs, "*.photo"))):
        stem = photo_file[:-len(".photo")]
        photo_path = open(photo_file).read().strip()
        cols = int(stem.rsplit("-", 1)[1])
        photo = aq.load_photo(photo_path)
        window, lines, cell = window_drawing(stem, cols)
        cli_art = cli_drawing(cli, photo_path, photo, cols, dejavu)
        rows.append((os.path.basename(photo_path), cols, lines, cell, scores(photo, window), scores(photo, cli_art)))
        shown.append((photo, window, cli_art, cols))
    print("The window's 形状 art on the screen (%s, cells %.1f x %d px) beside the command line's"
          " --shapes --glyphs-of DejaVuSansMono.ttf drawn in it:" % ("its own font", rows[0][3][0], rows[0][3][1]))
    print()
    print("| photograph | columns | window likeness | command line likeness | window SSIM | command line SSIM |")
    print("|---|---:|---:|---:|---:|---:|")
    for name, cols, lines, _, (wl, ws), (cl, cs) in rows:
        print(f"| {name} | {cols} x {lines} | {wl:.3f} | {cl:.3f} | {ws:.3f} | {cs:.3f} |")
    window_like = np.mean([r[4][0] for r in rows])
    cli_like = np.mean([r[5][0] for r in rows])
    window_ssim = np.mean([r[4][1] for r in rows])
    cli_ssim = np.mean([r[5][1] for r in rows])
    ratio = window_like / cli_like
    print(f"| mean | | {window_like:.3f} | {cli_like:.3f} | {window_ssim:.3f} | {cli_ssim:.3f} |")
    print()
    print(f"window likeness / command line likeness: {ratio:.3f}x (goal >= {GOAL:g}x) "
          + ("✓" if ratio >= GOAL else "✗"))
    if sheet != "-":
        first = min(r[3] for r in shown)
        pictures = [s for s in shown if s[3] == first][:3]
        height = 320
        tiles = []
        for photo, window, cli_art, _ in pictures:
            row = []
            for picture in (np.asarray(photo, np.float32) / 255.0, window, cli_art):
                image = Image.fromarray((np.clip(picture, 0, 1) * 255 + 0.5).astype(np.uint8))
                row.append(image.resize((round(image.width * height / image.height), height), Image.LANCZOS))
            tiles.append(row)
        width = max(sum(t.width for t in row) + 20 * (len(row) - 1) for row in tiles)
        out = Image.new("RGB", (width, len(tiles) * (height + 20) - 20), "white")
        for y, row in enumerate(tiles):
            x = 0
            for tile in row:
                out.paste(tile, (x, y * (height + 20)))
                x += tile.width + 20
        out.save(sheet)
        print(f"sheet: {sheet} (photograph, the window's art on the screen, the command line's in DejaVu Sans Mono)")


if __name__ == "__main__":
    main()
