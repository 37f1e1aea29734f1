#include "decode/open_picture.h"

#include <array>

#include "decode/bmp_reader.h"
#include "decode/gif_reader.h"
#include "decode/jpeg_reader.h"
#include "decode/png_reader.h"
#include "decode/webp_reader.h"

namespace morvexa {

std::unique_ptr<PictureReader> OpenPicture(const std::filesystem::path& path, const ReadSettings& settings) {
  return OpenPicture(FileBytes::Open(path), settings);
}

// The format is told by the file's first bytes, not its name. Whatever is
// none of the others goes to the BMP reader, whose rules then apply: an
// empty file is an empty picture, one too short for a header is "Stream
// read error", and one that does not start with "BM" is "Bitmap image is
// not valid".
std::unique_ptr<PictureReader> OpenPicture(FileBytes bytes, const ReadSettings& settings) {
  std::array<unsigned char, 16> start{};
  const std::size_t got = bytes.ReadSome(0, start);
  const std::span<const unsigned char> head(start.data(), got);
  if (LooksLikePng(head)) return ReadPng(std::move(bytes), settings);
  if (LooksLikeJpeg(head)) return ReadJpeg(std::move(bytes), settings);
  if (LooksLikeGif(head)) return ReadGif(std::move(bytes), settings);
  if (LooksLikeWebp(head)) return ReadWebp(std::move(bytes), settings);
  return ReadBmp(std::move(bytes), settings);
}

}  // namespace morvexa
