#pragma once

#include <memory>
#include <span>

#include "files/file_bytes.h"
#include "morvexa/read_settings.h"
#include "pixels/picture_reader.h"

// Reading JPEG files, with libjpeg-turbo.
namespace morvexa {

// Whether bytes begin as a JPEG file does.
bool LooksLikeJpeg(std::span<const unsigned char> start);

// Reads the headers; the rows are read as they are asked for. A file that
// ends early fails with "Stream read error", whenever it ends; anything
// else wrong with it with "Bitmap image is not valid". Transparent pixels
// are laid over the settings' background.
std::unique_ptr<PictureReader> ReadJpeg(FileBytes file, const ReadSettings& settings = {});

}  // namespace morvexa
