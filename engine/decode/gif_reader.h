#pragma once

#include <memory>
#include <span>

#include "files/file_bytes.h"
#include "morvexa/read_settings.h"
#include "pixels/picture_reader.h"

// Reading GIF files, with giflib.
namespace morvexa {

// Whether bytes begin as a GIF file does.
bool LooksLikeGif(std::span<const unsigned char> start);

// Reads the headers; the rows are read as they are asked for. A file that
// ends early fails with "Stream read error", whenever it ends; anything
// else wrong with it with "Bitmap image is not valid". The first picture is
// drawn on the file's canvas; transparent and uncovered pixels are laid
// over the settings' background.
std::unique_ptr<PictureReader> ReadGif(FileBytes file, const ReadSettings& settings = {});

}  // namespace morvexa
