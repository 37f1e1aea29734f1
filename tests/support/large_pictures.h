#pragma once

// Pictures of each format made byte by byte in the tests, at any size: small
// files for large pictures, whose data holds every pixel they claim.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "files.h"

namespace morvexa::testing_support {

inline std::string Le16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)}; }
inline std::string Le24(std::uint32_t v) { return Le16(v & 0xFFFF) + static_cast<char>(v >> 16 & 0xFF); }
inline std::string Le32(std::uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
inline std::string Be16(unsigned v) { return {static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v & 0xFF)}; }
inline std::string Be32(std::uint32_t v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }

// A black PNG of width x height, a bit a pixel, deflated by Python's zlib;
// empty when Python fails.
inline std::string BlackPng(unsigned width, unsigned height) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("morvexa-black-" + std::to_string(getpid()) + ".png");
  const std::string python =
      "import struct, sys, zlib\n"
      "w, h = int(sys.argv[1]), int(sys.argv[2])\n"
      "def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))\n"
      "z = zlib.compressobj(9)\n"
      "row = bytes(1 + (w + 7) // 8)\n"
      "data = b''.join(z.compress(row) for _ in range(h)) + z.flush()\n"
      "ihdr = struct.pack('>IIBBBBB', w, h, 1, 0, 0, 0, 0)\n"
      "open(sys.argv[3], 'wb').write(b'\\x89PNG\\r\\n\\x1a\\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', data) + "
      "chunk(b'IEND', b''))\n";
  const std::string command = "/usr/bin/python3 -c \"" + python + "\" " + std::to_string(width) + " " +
                              std::to_string(height) + " '" + file.string() + "'";
  if (std::system(command.c_str()) != 0) return {};
  std::string png = ReadFile(file);
  std::filesystem::remove(file);
  return png;
}

// A gray baseline JPEG of width x height, every block flat mid-gray: its
// Huffman tables hold one code each, "0", for a DC difference of 0 and for
// the end of the block, so that a block takes two bits.
inline std::string GrayJpeg(unsigned width, unsigned height) {
  const std::string oneCode = std::string(1, '\1') + std::string(15, '\0') + '\0';  // one code of 1 bit: 0
  std::string jpeg = "\xFF\xD8";
  jpeg += "\xFF\xDB" + Be16(67) + '\0' + std::string(64, '\1');
  jpeg += "\xFF\xC0" + Be16(11) + '\x08' + Be16(height) + Be16(width) + std::string("\x01\x01\x11\x00", 4);
  jpeg += "\xFF\xC4" + Be16(20) + '\x00' + oneCode;
  jpeg += "\xFF\xC4" + Be16(20) + '\x10' + oneCode;
  jpeg += "\xFF\xDA" + Be16(8) + std::string("\x01\x01\x00\x00\x3F\x00", 6);
  const std::uint64_t bits = 2 * std::uint64_t{(width + 7) / 8} * ((height + 7) / 8);
  jpeg += std::string(bits / 8, '\0');
  if (bits % 8 != 0) jpeg += static_cast<char>(0xFF >> (bits % 8));  // padded with ones
  return jpeg + "\xFF\xD9";
}

// A GIF whose logical screen is width x height, with one black pixel in
// its corner.
inline std::string ScreenGif(unsigned width, unsigned height) {
  std::string gif = "GIF89a" + Le16(width) + Le16(height) + std::string("\x80\0\0\0\0\0\xff\xff\xff", 9);
  gif += "," + Le16(0) + Le16(0) + Le16(1) + Le16(1) + '\0';
  return gif + std::string("\x02\x02\x44\x01\x00;", 6);  // clear, 0, end, in codes of 3 bits
}

// LZW data of a GIF frame of pixels zeros, codes of 2 bits a pixel: from
// its minimum code size to its empty block. Each code stands for a run one
// longer than the one before until the table is full, then the longest run,
// 4,091 pixels in 12 bits: about 2,700 pixels a byte. A run may go past
// the frame's end, as decoders allow.
inline std::string ZeroLzw(std::uint64_t pixels) {
  std::string bytes;
  std::uint64_t bits = 0;
  int count = 0;
  const auto put = [&](unsigned code, unsigned width) {
    bits |= std::uint64_t{code} << count;
    for (count += static_cast<int>(width); count >= 8; count -= 8, bits >>= 8) bytes += static_cast<char>(bits & 0xFF);
  };
  // The width of the next code: of the next entry the decoder counts.
  unsigned next = 6;
  const auto width = [&] {
    unsigned w = 3;
    while ((1u << w) < next && w < 12) ++w;
    return w;
  };
  put(4, 3);  // clear
  put(0, width()), ++next;
  std::uint64_t done = 1;
  while (done < pixels) {
    if (next <= 4096) {
      put(next - 1, width());  // the entry this code makes: the last run and a zero
      done += next - 5, ++next;
    } else {
      put(4095, 12);
      done += 4091;
    }
  }
  put(5, width());  // the end
  if (count > 0) bytes += static_cast<char>(bits & 0xFF);
  std::string data(1, '\2');
  for (std::size_t at = 0; at < bytes.size(); at += 255) {
    const std::string block = bytes.substr(at, 255);
    data += static_cast<char>(block.size()) + block;
  }
  return data + '\0';
}

// A frame of one color, laid over what is before it.
struct GifFrameOf {
  unsigned left = 0, top = 0, width = 0, height = 0;
  std::uint32_t color = 0;  // 0xRRGGBB
  bool interlaced = false;
};

// A GIF of a width x height screen (white, its color table white and
// black), and frames each of one color (its own color table's first), a
// tenth of a second each.
inline std::string GifOf(unsigned width, unsigned height, const std::vector<GifFrameOf>& frames) {
  std::string gif = "GIF89a" + Le16(width) + Le16(height) + std::string("\x80\0\0\xff\xff\xff\0\0\0", 9);
  for (const GifFrameOf& f : frames) {
    gif += std::string("!\xf9\x04\x04\x0a\0\0\0", 8);  // left in place, 10 hundredths
    gif += "," + Le16(f.left) + Le16(f.top) + Le16(f.width) + Le16(f.height) +
           static_cast<char>(f.interlaced ? 0xC0 : 0x80);
    gif +=
        {static_cast<char>(f.color >> 16), static_cast<char>(f.color >> 8 & 0xFF), static_cast<char>(f.color & 0xFF)};
    gif += std::string(3, '\0');
    gif += ZeroLzw(std::uint64_t{f.width} * f.height);
  }
  return gif + ";";
}

// A lossless WebP bitstream (VP8L) of width x height, every pixel 0, coded
// in no bits.
inline std::string ZeroLossless(unsigned width, unsigned height) {
  std::uint64_t bits = 0x2F | std::uint64_t{width - 1} << 8 | std::uint64_t{height - 1} << 22;
  int count = 40;
  // No transform, no color cache, one group of codes; then five codes of a
  // single symbol, 0.
  count += 3;
  for (int code = 0; code < 5; ++code, count += 4) bits |= std::uint64_t{1} << count;
  std::string data;
  for (int i = 0; i < (count + 7) / 8; ++i) data += static_cast<char>(bits >> (8 * i) & 0xFF);
  return data;
}

inline std::string WebpChunk(const std::string& tag, const std::string& data) {
  return tag + Le32(static_cast<std::uint32_t>(data.size())) + data + (data.size() % 2 ? std::string(1, '\0') : "");
}

// An animated WebP whose canvas is width x height, with one frame of a
// single pixel in its corner.
inline std::string CanvasWebp(unsigned width, unsigned height) {
  const std::string frame = WebpChunk("VP8L", ZeroLossless(1, 1));
  std::string body = "WEBP" + WebpChunk("VP8X", std::string("\x02\0\0\0", 4) + Le24(width - 1) + Le24(height - 1));
  body += WebpChunk("ANIM", std::string(6, '\0'));
  body += WebpChunk("ANMF", Le24(0) + Le24(0) + Le24(0) + Le24(0) + Le24(100) + '\0' + frame);
  return "RIFF" + Le32(static_cast<std::uint32_t>(body.size())) + body;
}

// A black BMP of width x height, a bit a pixel, uncompressed; or in RLE8,
// its data only the end of the picture.
inline std::string BlackBmp(unsigned width, unsigned height, bool runLength = false) {
  const std::uint64_t stride = (std::uint64_t{width} + 31) / 32 * 4;
  const std::string data = runLength ? std::string("\0\1", 2) : std::string(stride * height, '\0');
  const std::string palette = runLength ? std::string(1024, '\0') : std::string("\0\0\0\0\xff\xff\xff\0", 8);
  const auto offset = static_cast<std::uint32_t>(14 + 40 + palette.size());
  std::string bmp = "BM" + Le32(static_cast<std::uint32_t>(offset + data.size())) + Le32(0) + Le32(offset);
  bmp += Le32(40) + Le32(width) + Le32(height) + Le16(1) + Le16(runLength ? 8 : 1) + Le32(runLength ? 1 : 0) +
         Le32(static_cast<std::uint32_t>(data.size())) + Le32(2835) + Le32(2835) + Le32(0) + Le32(0);
  return bmp + palette + data;
}

}  // namespace morvexa::testing_support
