#include "morvexa/picture.h"

#include "decode/open_picture.h"
#include "decode/picture_reader.h"
#include "files/file_bytes.h"

namespace morvexa {

Picture Picture::Open(const std::filesystem::path& path, const ReadSettings& settings) {
  return Picture(OpenPicture(path, settings));
}

Picture Picture::ReadStream(int fd, const ReadSettings& settings) {
  return Picture(OpenPicture(FileBytes::ReadStream(fd, FileBytes::kMostBytes, StartCheck(settings)), settings));
}

Picture::Picture(std::unique_ptr<PictureReader> reader) : reader_(std::move(reader)) {}
Picture::Picture(Picture&&) noexcept = default;
Picture& Picture::operator=(Picture&&) noexcept = default;
Picture::~Picture() = default;

std::size_t Picture::Width() const { return reader_->Width(); }
std::size_t Picture::Height() const { return reader_->Height(); }

std::unique_ptr<PictureReader> Picture::TakeReader() && { return std::move(reader_); }

}  // namespace morvexa
