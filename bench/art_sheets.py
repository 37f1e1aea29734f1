#!/usr/bin/python3
"""Draw sheets that show each art mode beside its peers, one PNG a mode.

A sheet has a row for each photograph given, and in each row a column for
the photograph (resized to the drawing's size), then one for each tool of
the comparison: the tool's art drawn as bench/art_quality.py draws it in
its DejaVu Sans Mono model font, in its Unifont one (--font unifont), or in
the font of --font-file (8 x 16 px a cell, a double-width character two,
default colors black ink on white paper), under a label with the
tool's name and its likeness and SSIM for that picture (the figures of the
font drawn in, else Unifont's, from the JSON of the same run).

The art is not made again: it is read from the folder that art_quality.py
--save-art filled (PHOTO-COLS-TOOL.txt), so the sheets show exactly what
was scored.  bench/art_modes.sh runs this after its quality run.

Usage
-----
  art_sheets.py --json QUALITY.json --art DIR --out DIR --photo PATH...
                [--cols 80] [--font unifont | --font-file [NAME=]FILE]
                -- COMPARISON...

Each COMPARISON is "SHEET|MODE|TOOL|PEER[|...]" (the form art_modes.sh
lists its comparisons in; fields past the fourth are ignored): SHEET names
the file (SHEET.png), MODE is the title's name of the mode, TOOL and PEER
the tools' names as in the JSON.  PEER may list several tools, comma
separated, or be "-" for none.

A sheet whose PNG would exceed --max-bytes (1.5 MB by default) has its
pictures scaled down (area average), in steps of 1/8 down to 1/4, until it
fits; the labels keep their size, and the title tells the scale.
"""

import argparse
import io
import json
import os
import sys

import numpy as np
from PIL import Image, ImageDraw, ImageFont

# art_quality.py is found beside this file; no __pycache__ is left there.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import art_quality as aq  # noqa: E402

LABEL_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
TITLE_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
SHEET_GRAY = (208, 208, 208)   # around the pictures, so white paper shows
MARGIN, GAP, LABEL_H, TITLE_H = 16, 12, 40, 56
SCALES = (1, 0.875, 0.75, 0.625, 0.5, 0.375, 0.25)


def parse_comparison(text):
    """(sheet, mode, [tools]) of one "SHEET|MODE|TOOL|PEER[|...]"."""
    fields = text.split("|")
    if len(fields) < 4:
        sys.exit(f"art_sheets.py: a comparison needs SHEET|MODE|TOOL|PEER, "
                 f"not {text!r}")
    peers = [p for p in fields[3].split(",") if p and p != "-"]
    return fields[0], fields[1], [fields[2]] + peers


def to_image(pic):
    """A float RGB picture in [0, 1] as an 8-bit PIL image."""
    return Image.fromarray(np.clip(pic * 255 + 0.5, 0, 255).astype(np.uint8))


def figures(results, photo, cols, tool, drawn_in):
    """The label's figures of a tool for one picture, or "" without them:
    those of the font the sheet draws in (named drawn_in) when measured,
    else Unifont's."""
    for r in results:
        if r["photo"] == photo and r["cols"] == cols and r["tool"] == tool:
            font = drawn_in if f"ssim_{drawn_in}" in r else "unifont"
            if f"likeness_{font}" not in r:
                return ""
            return (f"likeness {r[f'likeness_{font}']:.3f}, "
                    f"SSIM {r[f'ssim_{font}']:.3f}")
    return ""


def light_on_dark(results, tool):
    return any(r["tool"] == tool and r.get("light_on_dark") for r in results)


def sheet_row(photo_path, photo, cols, tools, art_dir, results, font):
    """The labeled pictures of one row: [(label, PIL image or None)], each
    label two lines: the picture's name, and what it scored."""
    name = os.path.basename(photo_path)
    stem = os.path.splitext(name)[0]
    drawings = []
    for tool in tools:
        path = os.path.join(art_dir, f"{stem}-{cols}-{tool}.txt")
        rows = None
        if os.path.exists(path):
            with open(path, encoding="utf-8", errors="replace") as f:
                rows = aq.parse_ansi(f.read())
        if not rows:
            print(f"art_sheets.py: no art of {tool} for {name} at {cols} "
                  f"columns ({path})", file=sys.stderr)
            drawings.append((f"{tool}\nno art", None))
            continue
        pic = aq.render(rows, font, light_on_dark(results, tool))
        label = f"{tool}\n{figures(results, name, cols, tool, font.name)}"
        drawings.append((label, to_image(pic)))
    sizes = [im.size for _, im in drawings if im is not None]
    width, height = sizes[0] if sizes else (
        cols * aq.CELL_W, aq.grid_lines(photo, cols) * aq.CELL_H)
    resized = to_image(aq.resize_photo(photo, width, height))
    return [(f"{name}\nthe photograph, {width // aq.CELL_W} x "
             f"{height // aq.CELL_H} cells", resized)] + drawings


def compose(title, rows, scale):
    """One sheet of the labeled rows under the title, the pictures scaled
    by scale."""
    label_font = ImageFont.truetype(LABEL_FONT, 15)
    title_font = ImageFont.truetype(TITLE_FONT, 18)
    if scale != 1:
        title += f"; pictures shown at {scale:g}x"
        rows = [[(label, im if im is None else im.resize(
            (round(im.width * scale), round(im.height * scale)), Image.BOX))
            for label, im in r] for r in rows]
    title_w = draw_width(title, title_font)
    ncols = max(len(r) for r in rows)
    col_w = max(im.size[0] for r in rows for _, im in r if im is not None)
    col_w = max(col_w, max(round(draw_width(label, label_font))
                           for r in rows for label, _ in r))
    row_hs = [max(im.size[1] for _, im in r if im is not None) for r in rows]
    width = max(2 * MARGIN + ncols * col_w + (ncols - 1) * GAP,
                2 * MARGIN + round(title_w))
    height = (2 * MARGIN + TITLE_H + sum(row_hs) + len(rows) * LABEL_H
              + (len(rows) - 1) * GAP)
    sheet = Image.new("RGB", (width, height), SHEET_GRAY)
    draw = ImageDraw.Draw(sheet)
    draw.multiline_text((MARGIN, MARGIN), title, font=title_font,
                        fill=(0, 0, 0), spacing=6)
    y = MARGIN + TITLE_H
    for r, row_h in zip(rows, row_hs):
        for i, (label, im) in enumerate(r):
            x = MARGIN + i * (col_w + GAP)
            draw.multiline_text((x, y + 2), label, font=label_font,
                                fill=(0, 0, 0), spacing=3)
            if im is not None:
                sheet.paste(im, (x, y + LABEL_H))
        y += LABEL_H + row_h + GAP
    return sheet


def draw_width(label, font):
    return max(font.getlength(line) for line in label.split("\n"))


def png_bytes(im):
    out = io.BytesIO()
    im.save(out, "PNG", optimize=True)
    return out.getvalue()


def main():
    ap = argparse.ArgumentParser(
        description=__doc__.split("\n\n")[0],
        formatter_class=argparse.RawDescriptionHelpFormatter,
        epilog="See the module docstring (art_sheets.py) for details.")
    ap.add_argument("comparisons", nargs="+",
                    metavar="SHEET|MODE|TOOL|PEER")
    ap.add_argument("--json", required=True,
                    help="the results art_quality.py --json wrote")
    ap.add_argument("--art", required=True,
                    help="the folder art_quality.py --save-art filled")
    ap.add_argument("--out", required=True, help="where to write the sheets")
    ap.add_argument("--photo", action="append", required=True,
                    help="a photograph of the run, one row each (repeat)")
    ap.add_argument("--cols", type=int, default=80,
                    help="the run's column count to show (default 80)")
    ap.add_argument("--max-bytes", type=int, default=1_500_000,
                    help="largest PNG to write before scaling down")
    ap.add_argument("--unifont-hex", default=aq.DEFAULT_UNIFONT_HEX)
    ap.add_argument("--dejavu", default=aq.DEFAULT_DEJAVU,
                    help="DejaVu Sans Mono font file")
    ap.add_argument("--font", choices=("dejavu", "unifont"), default="dejavu",
                    help="the model font to draw in (default dejavu)")
    ap.add_argument("--font-file", metavar="[NAME=]FILE",
                    help="draw in this font instead (art_quality.py's "
                    "--font-file: NAME names its figures in the JSON)")
    args = ap.parse_args()

    with open(args.json) as f:
        results = json.load(f)
    unifont = aq.load_unifont_hex(args.unifont_hex)
    if args.font_file:
        font = aq.font_file_option(args.font_file, unifont)
    elif args.font == "unifont":
        font = aq.ModelFont("unifont", unifont)
    else:
        font = aq.ModelFont("dejavu", unifont, args.dejavu)
    photos = [(p, aq.load_photo(p)) for p in args.photo]
    os.makedirs(args.out, exist_ok=True)

    for text in args.comparisons:
        sheet_name, mode, tools = parse_comparison(text)
        rows = [sheet_row(path, photo, args.cols, tools, args.art, results,
                          font) for path, photo in photos]
        title = (f"{mode} ({tools[0]}) beside "
                 f"{', '.join(tools[1:]) or 'the photographs'}\n"
                 f"{args.cols} columns, drawn in {font.family}, "
                 f"8 x 16 px cells")
        for scale in SCALES:
            data = png_bytes(compose(title, rows, scale))
            if len(data) <= args.max_bytes:
                break
        path = os.path.join(args.out, sheet_name + ".png")
        with open(path, "wb") as f:
            f.write(data)
        print(f"{path}: {len(data) / 1e6:.2f} MB"
              + (f", pictures at {scale:g}x" if scale != 1 else ""))


if __name__ == "__main__":
    main()
