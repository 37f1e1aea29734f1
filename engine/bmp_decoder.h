#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "pixel_image.h"

// Decoding of Windows bitmap (BMP) files into pixels.
//
// Accepted: the 12-byte core header and the information headers of 40
// bytes or more; 1, 4, 8, 16, 24 and 32 bits per pixel; uncompressed, RLE8,
// RLE4, and bit-field masks for 16 and 32 bits; rows stored bottom-up or
// (negative height) top-down.
//
// Failures:
//  - "Cannot open file %s" (the full path) when the file cannot be opened
//    or is not a regular file;
//  - "Bitmap image is not valid" when the first two bytes are not "BM", the
//    planes field is not 1, or the header asks for something unknown or
//    absurd: another header size, bit count or compression, a width below
//    1, a height of 0, run-length data stored top-down or with the wrong
//    bit count, or more pixels than the limits below;
//  - "Stream read error" when the file ends before its headers, color
//    table or (uncompressed) pixel data are complete.
// An empty file is a picture of 0 x 0 pixels.
//
// Pictures are untrusted input. Uncompressed pixel data is checked against
// the file's length before anything is allocated, so the pixels allocated
// are at most 32 times the file's bits (1 bit per pixel). Run-length data
// can claim far more pixels than it holds, so its pictures have a lower
// limit (BmpLimits). Decisions where the format leaves room:
//  - the pixel data starts at the file header's offset, or right after the
//    color table when that offset is 0;
//  - pixels that run-length data leaves unwritten (by a delta, an end of
//    line, an early end of bitmap, or data that runs out) take the color
//    of palette entry 0; runs past the right edge are cut off;
//  - a palette index beyond the color table draws black (0x000000);
//  - only the first 256 entries of a color table are used; more must
//    still be present in the file;
//  - in 32-bit pixels without masks the fourth byte is ignored, so pixels
//    that differ only there have the same color; mask fields narrower than
//    8 bits are scaled to 0-255.
namespace morvexa {

inline constexpr std::uint64_t kMaxBmpDimension = 1u << 20;

// How many pixels a picture may have; more is "Bitmap image is not valid".
struct BmpLimits {
  std::uint64_t pixels = 1u << 28;
  std::uint64_t runLengthPixels = 1u << 24;  // 4096 x 4096
};

PixelImage DecodeBmp(std::span<const unsigned char> file, const BmpLimits& limits = {});

// Maps the whole file read-only and decodes it.
PixelImage DecodeBmpFile(const std::filesystem::path& path);

}  // namespace morvexa
