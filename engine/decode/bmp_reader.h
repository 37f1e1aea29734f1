#pragma once

#include <cstdint>
#include <memory>

#include "files/file_bytes.h"
#include "morvexa/read_settings.h"
#include "pixels/picture_reader.h"

// Reading Windows bitmap (BMP) files.
//
// Accepted: the 12-byte core header and the information headers of 40
// bytes or more; 1, 4, 8, 16, 24 and 32 bits per pixel; uncompressed, RLE8,
// RLE4, and bit-field masks for 16 and 32 bits; rows stored bottom-up or
// (negative height) top-down.
//
// Failures:
//  - "Bitmap image is not valid" when the first two bytes are not "BM", the
//    planes field is not 1, or the header asks for something unknown or
//    absurd: another header size, bit count or compression, a width below
//    1, a height of 0, run-length data stored top-down or with the wrong
//    bit count, or more pixels than the limit;
//  - "Stream read error" when the file ends before its headers, color
//    table or (uncompressed) pixel data are complete, whenever it ends:
//    while the headers are read, or because the file shrinks while its
//    rows are.
// An empty file is a picture of 0 x 0 pixels.
//
// Nothing the size of the picture is allocated: rows are read a band at a
// time. Run-length data is read twice: once to find where each row's data
// starts (12 bytes a row), then from the top row down. Decisions where the
// format leaves room:
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

// The bytes of a BMP file's header, before its information header.
inline constexpr std::size_t kBmpFileHeaderBytes = 14;

// Whether bytes begin as a BMP file does.
bool LooksLikeBmp(std::span<const unsigned char> start);

// Reads the headers and checks them against the file's length; the rows
// are read as they are asked for.
std::unique_ptr<PictureReader> ReadBmp(FileBytes file, const ReadSettings& settings = {});

}  // namespace morvexa
