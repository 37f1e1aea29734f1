#!/usr/bin/env python3
"""Generate the built-in copy of GNU Unifont's plane 0.

Every glyph of unifont.hex is kept as Unifont draws it, one bit a pixel, the
most significant bit the leftmost pixel: an 8x16 glyph in 16 bytes (one a
row), a 16x16 glyph in 32 bytes (two a row).  An index of 1,024 blocks of 64
code points finds them without a table entry per code point; the combining
characters of plane00-combining.txt keep the offset at which Unifont draws
them over the character before.

The file, all numbers little-endian:

  offset 0       uint32  G, the number of glyphs
  offset 4       uint32  M, the number of combining characters
  offset 8       uint64  present[1024]  bit k of block b: U+(64b + k) has a glyph
  offset 8200    uint64  wide[1024]     bit k of block b: that glyph is 16x16
  offset 16392   uint32  start[1024]    where block b's first glyph starts in
                                        the bitmaps, in bytes
  offset 20488   M times uint16 code point, int16 offset in pixels (ascending)
  then           the bitmaps, by code point

A glyph's place is start[b] + 16 * (the glyphs of block b before it) + 16 *
(the wide glyphs of block b before it).

Usage:
  gen_unifont.py [--hex unifont.hex] [--combining FILE] -o OUT
  gen_unifont.py [--hex unifont.hex] [--combining FILE] --check FILE
"""
import argparse
import os
import struct
import sys

from glyph_generation import code_lines, write_or_check

DEFAULT_HEX = "/usr/share/unifont/unifont.hex"
COMBINING_NAME = "plane00-combining.txt"
BLOCKS = 1024
BLOCK_SIZE = 64


def load_hex(path):
    glyphs = {}
    for code, bits in code_lines(path):
        if code > 0xFFFF:
            raise ValueError("U+%X is not in plane 0" % code)
        if len(bits) not in (32, 64):
            raise ValueError("U+%04X: unexpected glyph width: %d hex digits" % (code, len(bits)))
        glyphs[code] = bytes.fromhex(bits)
    return glyphs


def load_combining(path):
    return {code: int(offset) for code, offset in code_lines(path)}


def generate(hex_path, combining_path):
    glyphs = load_hex(hex_path)
    marks = load_combining(combining_path)
    present = [0] * BLOCKS
    wide = [0] * BLOCKS
    start = [0] * BLOCKS
    bitmaps = bytearray()
    for block in range(BLOCKS):
        start[block] = len(bitmaps)
        for k in range(BLOCK_SIZE):
            bits = glyphs.get(block * BLOCK_SIZE + k)
            if bits is None:
                continue
            present[block] |= 1 << k
            if len(bits) == 32:
                wide[block] |= 1 << k
            bitmaps += bits
    out = bytearray(struct.pack("<II", len(glyphs), len(marks)))
    out += struct.pack("<%dQ" % BLOCKS, *present)
    out += struct.pack("<%dQ" % BLOCKS, *wide)
    out += struct.pack("<%dI" % BLOCKS, *start)
    for code in sorted(marks):
        out += struct.pack("<Hh", code, marks[code])
    out += bitmaps
    return bytes(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--hex", default=DEFAULT_HEX, help="Unifont .hex file of plane 0")
    parser.add_argument("--combining", help="Unifont's list of combining characters (default: %s beside the .hex file)"
                        % COMBINING_NAME)
    group = parser.add_mutually_exclusive_group(required=True)
    group.add_argument("-o", "--output", help="write the data here")
    group.add_argument("--check", metavar="FILE", help="compare with FILE instead of writing")
    args = parser.parse_args()

    combining = args.combining or os.path.join(os.path.dirname(args.hex), COMBINING_NAME)
    return write_or_check(generate(args.hex, combining), args.output, args.check, "data", args.hex)


if __name__ == "__main__":
    sys.exit(main())
