#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>

#include "files/file_bytes.h"
#include "morvexa/read_settings.h"
#include "pixels/picture_reader.h"

namespace morvexa {

// Opens a picture file for reading, whatever its format (BMP, PNG, JPEG,
// GIF, WebP, told by its first bytes): "Cannot open file %s" when it cannot
// be opened or is not a regular file; "Bitmap image is not valid" when it is
// not a picture the program reads; "Stream read error" when it ends early.
// An empty file is a picture of 0 x 0 pixels, unless settings say it is
// none. Bytes that start no picture the program reads are refused from their
// first bytes, before a stream or a file that reports no size is read on.
std::unique_ptr<PictureReader> OpenPicture(const std::filesystem::path& path, const ReadSettings& settings = {});

// That check of the first bytes, for what reads a stream.
FileBytes::HeadCheck StartCheck(const ReadSettings& settings);

// The same for bytes already at hand (standard input).
std::unique_ptr<PictureReader> OpenPicture(FileBytes bytes, const ReadSettings& settings = {});

// A frame of the picture, numbered from 0, drawn alone: the first as
// OpenPicture reads it (a still picture's only one), a later one composed
// on its canvas. Past the last, NoSuchFrame with how many there are, after
// a still picture that is not one has failed as itself.
std::unique_ptr<PictureReader> OpenFrame(FileBytes bytes, const ReadSettings& settings, std::size_t frame);

}  // namespace morvexa
