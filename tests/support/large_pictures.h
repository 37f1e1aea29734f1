#pragma once

// Pictures of each format made byte by byte in the tests, at any size: small
// files for large pictures, whose data holds every pixel they claim.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

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
