#!/usr/bin/python3
"""Writes the small files that claim huge pictures, into the folder named.

Each is built from bytes here, or from what cjpeg writes, so that the
decoders' memory and time can be measured on them by bench/bombs.sh:

  lossless.webp      a lossless WebP of 16383 x 16383 pixels, all zero (legitimate)
  claims.webp        a lossy WebP whose header claims 16383 x 16383, with no data
  claims.gif         a GIF whose image claims 16383 x 16383, with no data
  interlaced.png     an interlaced PNG of 16384 x 16383 whose data stops after 1 KB
  progressive.jpg    a small progressive JPEG whose frame claims 16383 x 16383
  scans.jpg          a progressive 8192 x 8192 JPEG with its last scan repeated 2,000 times
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib


def riff(chunks):
    body = b"WEBP" + chunks
    return b"RIFF" + struct.pack("<I", len(body)) + body


def chunk(tag, payload):
    return tag + struct.pack("<I", len(payload)) + payload + (b"\0" if len(payload) % 2 else b"")


class Bits:
    """Bits written least significant first, as VP8L reads them."""

    def __init__(self):
        self.value, self.count = 0, 0

    def put(self, value, bits):
        self.value |= value << self.count
        self.count += bits

    def bytes(self):
        return self.value.to_bytes((self.count + 7) // 8, "little")


def lossless_webp(side):
    bits = Bits()
    bits.put(0x2F, 8)  # signature
    bits.put(side - 1, 14)
    bits.put(side - 1, 14)
    bits.put(0, 1)  # no alpha used
    bits.put(0, 3)  # version
    bits.put(0, 1)  # no transform
    bits.put(0, 1)  # no color cache
    bits.put(0, 1)  # one set of codes for the whole picture
    for _ in range(5):  # green, red, blue, alpha, distance: one symbol each, coded in no bits
        bits.put(1, 1)  # simple code
        bits.put(0, 1)  # one symbol
        bits.put(0, 1)  # of 1 bit
        bits.put(0, 1)  # symbol 0
    return riff(chunk(b"VP8L", bits.bytes()))


def claiming_webp(side):
    # A key frame's tag (first partition of 100,000 bytes), its start code
    # and size, and nothing after them.
    tag = (0 | 0 << 1 | 1 << 4 | 100000 << 5).to_bytes(3, "little")
    header = tag + b"\x9d\x01\x2a" + struct.pack("<HH", side, side)
    vp8 = b"VP8 " + struct.pack("<I", 2000000) + header + b"\0" * 3
    return b"RIFF" + struct.pack("<I", 4 + len(vp8) + 2000000) + b"WEBP" + vp8


def claiming_gif(side, interlaced=False):
    screen = b"GIF89a" + struct.pack("<HHBBB", side, side, 0x80, 0, 0) + b"\0\0\0\xff\xff\xff"
    image = b"," + struct.pack("<HHHHB", 0, 0, side, side, 0x40 if interlaced else 0)
    return screen + image + b"\x02\x02\x4c\x01\x00;"


def png_chunk(tag, payload):
    return struct.pack(">I", len(payload)) + tag + payload + struct.pack(">I", zlib.crc32(tag + payload))


def cut_interlaced_png(width, height):
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 1)
    data = zlib.compress(b"\0" * (4 << 20), 9)[:1000]
    return b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr) + png_chunk(b"IDAT", data)


def cjpeg(width, height, options, pattern):
    with tempfile.TemporaryDirectory() as scratch:
        ppm = os.path.join(scratch, "a.ppm")
        with open(ppm, "wb") as out:
            out.write(b"P6 %d %d 255\n" % (width, height))
            for y in range(height):
                out.write(pattern(y, width))
        return subprocess.run(["cjpeg"] + options + [ppm], check=True, capture_output=True).stdout


def claiming_jpeg(side):
    small = cjpeg(64, 64, ["-progressive", "-sample", "1x1"], lambda y, w: bytes((x * 4 + y * 3) % 256 for x in range(3 * w)))
    frame = small.index(b"\xff\xc2")
    return small[: frame + 5] + struct.pack(">HH", side, side) + small[frame + 9:]


def repeated_scan_jpeg(side, repeats):
    row = bytes([120, 130, 140]) * side
    jpeg = cjpeg(side, side, ["-progressive"], lambda y, w: row)
    last = jpeg.rindex(b"\xff\xda")
    scan = jpeg[last:-2]
    return jpeg[:-2] + scan * repeats + b"\xff\xd9"


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    files = {
        "lossless.webp": lossless_webp(16383),
        "claims.webp": claiming_webp(16383),
        "claims.gif": claiming_gif(16383),
        "interlaced.png": cut_interlaced_png(16384, 16383),
        "progressive.jpg": claiming_jpeg(16383),
        "scans.jpg": repeated_scan_jpeg(8192, 2000),
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)
        print("%-16s %8d bytes" % (name, len(data)))


if __name__ == "__main__":
    main()
