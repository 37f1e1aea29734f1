#pragma once

#include <filesystem>
#include <memory>

#include "file_bytes.h"
#include "picture_reader.h"

namespace morvexa {

// Opens a picture file for reading: "Cannot open file %s" when it cannot be
// opened or is not a regular file; "Bitmap image is not valid" when it is
// not a picture the program reads; "Stream read error" when it ends before
// its headers do. An empty file is a picture of 0 x 0 pixels.
std::unique_ptr<PictureReader> OpenPicture(const std::filesystem::path& path);

// The same for bytes already at hand (standard input).
std::unique_ptr<PictureReader> OpenPicture(FileBytes bytes);

}  // namespace morvexa
