#!/usr/bin/env python3
"""Writes the BMP pictures of tests/data/bmp and the art expected of them.

An encoder of its own, independent of the program's decoder: one picture
per color count, stored in every form the program reads (core and
information headers of 40, 52, 108 and 124 bytes; 1, 4, 8, 16, 24 and 32
bits per pixel; rows bottom-up and top-down; RLE8, RLE4 and bit fields).
The expected art is worked out from the picture itself, not from any
decoding: colors numbered in the order first met, row by row from the top,
color i drawn as the character 32 + i up to 126 and as "!" after; the
symbol list holds each new symbol unless one equal to it ignoring the case
of ASCII letters is listed already.

Usage: make_bmp_test_data.py OUTPUT_FOLDER
"""
import os
import struct
import sys

WIDTH, HEIGHT = 13, 9  # odd, so rows are padded


def picture(colors):
    """WIDTH x HEIGHT palette indices (top row first) using all colors,
    in a scrambled order so that first appearances are not in index order,
    and the palette: distinct colors that survive 4 bits per channel."""
    indices = [(i * 7 + 3) % colors for i in range(WIDTH * HEIGHT)]
    palette = []
    for i in range(colors):
        r, g, b = (i * 7) % 16, i // 16 * 2, (i * 5) % 16
        palette.append((r * 17) << 16 | (g * 17) << 8 | b * 17)
    assert len(set(palette)) == colors
    return indices, palette


def expected_art(indices, palette):
    numbers, symbols, lines = {}, [], []
    for y in range(HEIGHT):
        line = ""
        for x in range(WIDTH):
            color = palette[indices[y * WIDTH + x]]
            if color not in numbers:
                numbers[color] = len(numbers)
                code = 32 + numbers[color]
                if code <= 126 and not any(s.upper() == chr(code).upper() for s in symbols):
                    symbols.append(chr(code))
            code = 32 + numbers[color]
            line += chr(code if code <= 126 else 33)
        lines.append(line)
    return "".join(l + "\r\n" for l in lines), "".join(s + "\r\n" for s in symbols)


def pack(color, masks):
    """A color stored under bit-field masks (red, green, blue)."""
    value = 0
    for part, mask in zip((color >> 16 & 0xFF, color >> 8 & 0xFF, color & 0xFF), masks):
        shift = (mask & -mask).bit_length() - 1
        bits = bin(mask).count("1")
        value |= (part >> (8 - bits) if bits < 8 else part << (bits - 8)) << shift & mask
    return value


def rows(indices, palette, bpp, masks, top_down):
    stride = (WIDTH * bpp + 31) // 32 * 4
    data = b""
    order = range(HEIGHT) if top_down else range(HEIGHT - 1, -1, -1)
    for y in order:
        row = bytearray(stride)
        for x in range(WIDTH):
            index = indices[y * WIDTH + x]
            color = palette[index]
            if bpp == 1:
                row[x // 8] |= index << (7 - x % 8)
            elif bpp == 4:
                row[x // 2] |= index if x % 2 else index << 4
            elif bpp == 8:
                row[x] = index
            elif bpp == 16:
                row[2 * x:2 * x + 2] = struct.pack("<H", pack(color, masks))
            elif bpp == 24:
                row[3 * x:3 * x + 3] = bytes((color & 0xFF, color >> 8 & 0xFF, color >> 16))
            else:
                value = pack(color, masks) if masks != (0xFF0000, 0xFF00, 0xFF) else color | 0x5A000000
                row[4 * x:4 * x + 4] = struct.pack("<I", value)
        data += bytes(row)
    return data


def run_length(indices, four):
    """Runs of equal indices, an absolute run at the start of each row, an
    end of line after each row and an end of bitmap; bottom-up."""
    data = bytearray()
    for y in range(HEIGHT - 1, -1, -1):
        line = indices[y * WIDTH:(y + 1) * WIDTH]
        data += bytes((0, 3))
        if four:
            data += bytes((line[0] << 4 | line[1], line[2] << 4))
        else:
            data += bytes((line[0], line[1], line[2], 0))
        x = 3
        while x < WIDTH:
            run = 1
            while x + run < WIDTH and line[x + run] == line[x]:
                run += 1
            data += bytes((run, line[x] << 4 | line[x] if four else line[x]))
            x += run
        data += bytes((0, 0))
    return bytes(data + bytes((0, 1)))


def bmp(indices, palette, header, bpp, compression=0, top_down=False, masks=None):
    core = header == 12
    paletted = bpp <= 8
    if masks is None:
        masks = (0x7C00, 0x3E0, 0x1F) if bpp == 16 else (0xFF0000, 0xFF00, 0xFF)
    if compression in (1, 2):
        pixels = run_length(indices, compression == 2)
    else:
        pixels = rows(indices, palette, bpp, masks, top_down)
    entries = 1 << bpp if paletted else 0
    table = b"".join(struct.pack("<BBB", c & 0xFF, c >> 8 & 0xFF, c >> 16) + (b"" if core else b"\0")
                     for c in (palette + [0] * entries)[:entries])
    after = struct.pack("<III", *masks) if compression == 3 and header == 40 else b""
    if core:
        info = struct.pack("<IHHHH", 12, WIDTH, HEIGHT, 1, bpp)
    else:
        info = struct.pack("<IiiHHIIiiII", header, WIDTH, -HEIGHT if top_down else HEIGHT, 1, bpp, compression,
                           len(pixels), 2835, 2835, 0, 0)
        extra = struct.pack("<III", *masks) if compression == 3 else b"\0" * 12
        info = (info + extra + b"\0" * header)[:header]
    offset = 14 + len(info) + len(after) + len(table)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + after + table + pixels


def forms():
    for bpp in (1, 4, 8, 24):
        yield "core_%dbpp" % bpp, dict(header=12, bpp=bpp)
    for header in (40, 52, 108, 124):
        for bpp in (1, 4, 8, 16, 24, 32):
            yield "h%d_%dbpp" % (header, bpp), dict(header=header, bpp=bpp)
            yield "h%d_%dbpp_topdown" % (header, bpp), dict(header=header, bpp=bpp, top_down=True)
        yield "h%d_rle8" % header, dict(header=header, bpp=8, compression=1)
        yield "h%d_rle4" % header, dict(header=header, bpp=4, compression=2)
        yield "h%d_16bpp_565" % header, dict(header=header, bpp=16, compression=3, masks=(0xF800, 0x7E0, 0x1F))
        yield "h%d_16bpp_444_topdown" % header, dict(header=header, bpp=16, compression=3, top_down=True,
                                                   masks=(0xF00, 0xF0, 0xF))
        yield "h%d_32bpp_bgrx" % header, dict(header=header, bpp=32, compression=3,
                                            masks=(0xFF00, 0xFF0000, 0xFF000000))
        yield "h%d_32bpp_10bit_topdown" % header, dict(header=header, bpp=32, compression=3, top_down=True,
                                                     masks=(0x3FF00000, 0xFFC00, 0x3FF))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    written = set()
    for name, form in forms():
        colors = 2 if form["bpp"] == 1 else 16 if form["bpp"] == 4 else 100
        indices, palette = picture(colors)
        with open(os.path.join(out, name + ".bmp"), "wb") as f:
            f.write(bmp(indices, palette, **form))
        if colors not in written:
            art, symbols = expected_art(indices, palette)
            with open(os.path.join(out, "%d_colors.art.txt" % colors), "wb") as f:
                f.write(art.encode("ascii"))
            with open(os.path.join(out, "%d_colors.symbols.txt" % colors), "wb") as f:
                f.write(symbols.encode("ascii"))
            written.add(colors)


if __name__ == "__main__":
    main()
