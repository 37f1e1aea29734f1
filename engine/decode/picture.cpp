#include "morvexa/picture.h"

#include "morvexa/picture_file.h"
#include "pixels/picture_reader.h"

namespace morvexa {

Picture Picture::Open(const std::filesystem::path& path, const ReadSettings& settings) {
  return PictureFile::Open(path, settings).Still();
}

Picture::Picture(std::unique_ptr<PictureReader> reader, std::function<std::unique_ptr<PictureReader>()> reopen)
    : reader_(std::move(reader)), reopen_(std::move(reopen)) {}
Picture::Picture(Picture&&) noexcept = default;
Picture& Picture::operator=(Picture&&) noexcept = default;
Picture::~Picture() = default;

std::size_t Picture::Width() const { return reader_->Width(); }
std::size_t Picture::Height() const { return reader_->Height(); }

std::unique_ptr<PictureReader> Picture::TakeReader() && { return std::move(reader_); }

std::function<std::unique_ptr<PictureReader>()> Picture::TakeReopen() && { return std::move(reopen_); }

}  // namespace morvexa
