#include "morvexa/picture_file.h"

#include "decode/open_picture.h"
#include "files/file_bytes.h"

namespace morvexa {

PictureFile PictureFile::Open(const std::filesystem::path& path, const ReadSettings& settings) {
  return {FileBytes::Open(path, FileBytes::kMostBytes, StartCheck(settings)), settings};
}

PictureFile PictureFile::ReadStream(int fd, const ReadSettings& settings) {
  return {FileBytes::ReadStream(fd, FileBytes::kMostBytes, StartCheck(settings)), settings};
}

PictureFile::PictureFile(FileBytes bytes, const ReadSettings& settings)
    : bytes_(std::make_unique<FileBytes>(std::move(bytes))), settings_(settings) {}
PictureFile::PictureFile(PictureFile&&) noexcept = default;
PictureFile& PictureFile::operator=(PictureFile&&) noexcept = default;
PictureFile::~PictureFile() = default;

std::unique_ptr<Animation> PictureFile::Frames() const { return Animation::Of(*bytes_, settings_); }

Picture PictureFile::Still() const { return Picture::Reopenable(*bytes_, settings_); }

}  // namespace morvexa
