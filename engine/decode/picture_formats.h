#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "files/file_bytes.h"
#include "morvexa/read_settings.h"
#include "pixels/picture_reader.h"

namespace morvexa {

class Frames;

// The formats of pictures the program reads, each told by its first bytes,
// in one table: how its still picture is read and, for the formats that
// hold animations, how its frames are. The one place that tells them apart.
struct PictureFormat {
  std::string_view name;
  bool (*looksLike)(std::span<const unsigned char> start);
  std::unique_ptr<PictureReader> (*read)(FileBytes file, const ReadSettings& settings);
  // Of the formats that may hold frames: whether the file holds more than
  // one, told without decoding a pixel, and the frames.
  bool (*holdsFrames)(const FileBytes& file) = nullptr;
  std::unique_ptr<Frames> (*frames)(FileBytes file, const ReadSettings& settings) = nullptr;
};

// The format the first bytes begin; nothing for bytes of none of them. BMP
// is looked for last: whatever is none of the others goes to its reader,
// whose error rules then apply (see OpenPicture).
const PictureFormat* FormatOf(std::span<const unsigned char> start);
// The format of the BMP reader, that takes what no other does.
const PictureFormat& BmpFormat();

}  // namespace morvexa
