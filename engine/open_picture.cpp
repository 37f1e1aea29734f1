#include "open_picture.h"

#include "bmp_reader.h"

namespace morvexa {

std::unique_ptr<PictureReader> OpenPicture(const std::filesystem::path& path) {
  return OpenPicture(FileBytes::Open(path));
}

std::unique_ptr<PictureReader> OpenPicture(FileBytes bytes) { return ReadBmp(std::move(bytes)); }

}  // namespace morvexa
