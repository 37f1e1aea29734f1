#!/usr/bin/env python3
"""Generate the 16x16 glyph font chs16 from GNU Unifont.

The font holds 87 zones of 94 glyphs, 32 bytes each (261,696 bytes).  Zone q
and position w stand for the code page 936 bytes (0xA1 + q, 0xA1 + w); each
pair is decoded with glibc's iconv, exactly as the program decodes text, and
the Unifont glyph of the resulting character is copied:

  * a 16x16 glyph (64 hex digits) as it stands, two bytes a row;
  * an 8x16 glyph (32 hex digits) centred, in pixel columns 4-11.

Positions that hold no character, characters without a Unifont glyph, and
all of zones 0xAA-0xAF (the user-defined area) stay zero.

Usage:
  gen_chs16.py [--hex unifont.hex] [-o OUT]     write the font
  gen_chs16.py [--hex unifont.hex] --check FILE  exit 0 when FILE is identical
"""
import argparse
import ctypes
import ctypes.util
import sys

from glyph_generation import code_lines, write_or_check

ZONES = 87
POSITIONS = 94
GLYPH_BYTES = 32
FONT_BYTES = ZONES * POSITIONS * GLYPH_BYTES
USER_ZONES = range(0xAA, 0xB0)
DEFAULT_HEX = "/usr/share/unifont/unifont.hex"


class Cp936Decoder:
    """Decodes code page 936 byte strings through glibc's iconv."""

    def __init__(self):
        libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
        self._open = libc.iconv_open
        self._open.restype = ctypes.c_void_p
        self._open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        self._iconv = libc.iconv
        self._iconv.restype = ctypes.c_size_t
        self._iconv.argtypes = [ctypes.c_void_p,
                                ctypes.POINTER(ctypes.c_char_p), ctypes.POINTER(ctypes.c_size_t),
                                ctypes.POINTER(ctypes.c_char_p), ctypes.POINTER(ctypes.c_size_t)]
        self._cd = self._open(b"UTF-32LE", b"CP936")
        if self._cd in (None, ctypes.c_void_p(-1).value):
            raise RuntimeError("iconv cannot convert from CP936")

    def decode_one(self, data):
        """The single code point that data decodes to, or None."""
        self._iconv(self._cd, None, None, None, None)
        inbuf = ctypes.create_string_buffer(data, len(data))
        outbuf = ctypes.create_string_buffer(16)
        inptr = ctypes.c_char_p(ctypes.addressof(inbuf))
        outptr = ctypes.c_char_p(ctypes.addressof(outbuf))
        inleft = ctypes.c_size_t(len(data))
        outleft = ctypes.c_size_t(16)
        rc = self._iconv(self._cd, ctypes.byref(inptr), ctypes.byref(inleft),
                         ctypes.byref(outptr), ctypes.byref(outleft))
        if rc == ctypes.c_size_t(-1).value or inleft.value != 0 or outleft.value != 12:
            return None
        return int.from_bytes(outbuf.raw[:4], "little")


def load_unifont(path):
    return dict(code_lines(path))


def glyph_bytes(bits):
    if len(bits) == 64:
        return bytes.fromhex(bits)
    if len(bits) == 32:
        out = bytearray()
        for row in bytes.fromhex(bits):
            out += bytes([row >> 4, (row << 4) & 0xFF])
        return bytes(out)
    raise ValueError("unexpected glyph width: %d hex digits" % len(bits))


def generate(hex_path):
    glyphs = load_unifont(hex_path)
    decoder = Cp936Decoder()
    font = bytearray(FONT_BYTES)
    for q in range(ZONES):
        lead = 0xA1 + q
        if lead in USER_ZONES:
            continue
        for w in range(POSITIONS):
            code = decoder.decode_one(bytes([lead, 0xA1 + w]))
            if code is None or code not in glyphs:
                continue
            offset = (q * POSITIONS + w) * GLYPH_BYTES
            font[offset:offset + GLYPH_BYTES] = glyph_bytes(glyphs[code])
    return bytes(font)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--hex", default=DEFAULT_HEX, help="Unifont .hex file")
    group = parser.add_mutually_exclusive_group(required=True)
    group.add_argument("-o", "--output", help="write the font here")
    group.add_argument("--check", metavar="FILE", help="compare with FILE instead of writing")
    args = parser.parse_args()

    return write_or_check(generate(args.hex), args.output, args.check, "font", args.hex)


if __name__ == "__main__":
    sys.exit(main())
