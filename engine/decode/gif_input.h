#pragma once

#include <gif_lib.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "files/file_bytes.h"

// What the GIF readers share: the file handed to giflib, and its failures.
namespace morvexa {

// Reads the file for giflib, noting whether it ended early. giflib asks for
// a few bytes at a time; they are read from the file a buffer at a time.
struct GifInput {
  const FileBytes* file = nullptr;
  std::uint64_t at = 0;  // the next byte giflib is handed
  bool ended = false;
  std::vector<unsigned char> buffer = {};  // the file's bytes from bufferAt
  std::uint64_t bufferAt = 0;
};

int ReadGifInput(GifFileType* gif, GifByteType* out, int length);

// "Stream read error" when the file ended early, "Bitmap image is not
// valid" otherwise.
[[noreturn]] void FailGif(const GifInput& input);

struct CloseGif {
  void operator()(GifFileType* gif) const;
};
using GifHandle = std::unique_ptr<GifFileType, CloseGif>;

// giflib opened on input (which must stay where it is); fails as FailGif.
GifHandle OpenGif(GifInput& input);

// The rows of an interlaced picture come in four passes: every 8th from 0,
// every 8th from 4, every 4th from 2, every 2nd from 1.
inline constexpr std::size_t kGifPasses = 4;
inline constexpr std::size_t kGifPassStart[kGifPasses] = {0, 4, 2, 1}, kGifPassStep[kGifPasses] = {8, 8, 4, 2};

// How many pixels LZW data of some bytes can stand for, at most. A code
// stands for a string one pixel longer than the longest in the table when
// it was read, and the table holds 4,096 strings, so a code gives at most
// 4,096 pixels; a code is at least log2 of the table's size wide, so over
// the whole table the most a bit can give is 4,096 / 12 = 342 pixels, 2,731
// a byte. 4,096 a byte (and a code's worth more) leaves a margin.
inline constexpr std::uint64_t kMostGifPixelsPerByte = 4096;

// Refuses a picture of width x height pixels that the rest of the file
// (from input.at) is too short to hold, before anything is decoded: "Stream
// read error" as for a file cut short, unless the file ends with the GIF
// trailer, whole and wrong.
void CheckGifData(const GifInput& input, std::uint64_t width, std::uint64_t height);

// The transparent index of a graphic control extension's block, its
// disposal method and its delay in hundredths of a second; nothing when the
// block is not one.
bool ReadGraphicControl(const GifByteType* extension, GraphicsControlBlock& control);

}  // namespace morvexa
