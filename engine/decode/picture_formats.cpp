#include "decode/picture_formats.h"

#include <array>

#include "decode/bmp_reader.h"
#include "decode/frames.h"
#include "decode/gif_reader.h"
#include "decode/jpeg_reader.h"
#include "decode/png_reader.h"
#include "decode/webp_reader.h"

namespace morvexa {

namespace {

const std::array<PictureFormat, 5> kFormats = {{
    {"PNG", LooksLikePng, ReadPng},
    {"JPEG", LooksLikeJpeg, ReadJpeg},
    {"GIF", LooksLikeGif, ReadGif, GifHoldsFrames, ReadGifFrames},
    {"WebP", LooksLikeWebp, ReadWebp, WebpHoldsFrames, ReadWebpFrames},
    {"BMP", LooksLikeBmp, ReadBmp},
}};

}  // namespace

const PictureFormat* FormatOf(std::span<const unsigned char> start) {
  for (const PictureFormat& format : kFormats) {
    if (format.looksLike(start)) return &format;
  }
  return nullptr;
}

const PictureFormat& BmpFormat() { return kFormats.back(); }

}  // namespace morvexa
