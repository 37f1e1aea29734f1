#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>

#include "morvexa/read_settings.h"

namespace morvexa {

class PictureReader;

// A picture to convert: a still picture, or a frame of an animation (see
// PictureFile); its rows are read only as the conversion asks for them.
class Picture {
 public:
  // The picture file at path drawn as a still picture, as
  // PictureFile::Open(path, settings).Still() draws it: of an animation, its
  // first frame. Fails as PictureFile does.
  static Picture Open(const std::filesystem::path& path, const ReadSettings& settings = {});

  // The picture reader reads; reopen, when there is one, reads it again
  // from its first row, for a second pass over it.
  explicit Picture(std::unique_ptr<PictureReader> reader, std::function<std::unique_ptr<PictureReader>()> reopen = {});
  Picture(Picture&&) noexcept;
  Picture& operator=(Picture&&) noexcept;
  ~Picture();

  std::size_t Width() const;
  std::size_t Height() const;

  // The engine's reader of the picture's rows.
  std::unique_ptr<PictureReader> TakeReader() &&;
  // Another reader of the same picture from its first row, for a second
  // pass over it; none for a picture that cannot be read again (a frame
  // after an animation's first, one made in memory).
  std::function<std::unique_ptr<PictureReader>()> TakeReopen() &&;

 private:
  std::unique_ptr<PictureReader> reader_;
  std::function<std::unique_ptr<PictureReader>()> reopen_;
};

}  // namespace morvexa
