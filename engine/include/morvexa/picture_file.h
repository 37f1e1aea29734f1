#pragma once

#include <filesystem>
#include <memory>

#include "morvexa/animation.h"
#include "morvexa/picture.h"
#include "morvexa/read_settings.h"

namespace morvexa {

class FileBytes;

// A picture file or stream, opened once and told apart once, that may be
// drawn as a still picture or played as an animation: a stream is read
// once, however it is then drawn.
//
// Failures as Picture::Open's; a stream is read to its end first.
class PictureFile {
 public:
  static PictureFile Open(const std::filesystem::path& path, const ReadSettings& settings = {});
  static PictureFile ReadStream(int fd, const ReadSettings& settings = {});
  PictureFile(PictureFile&&) noexcept;
  PictureFile& operator=(PictureFile&&) noexcept;
  ~PictureFile();

  // Its frames, when it is an animation of more than one frame; nothing for
  // a still picture.
  std::unique_ptr<Animation> Frames() const;
  // The picture as a still one: of an animation, the frame the settings ask
  // for (the first by default).
  Picture Still() const;

 private:
  PictureFile(FileBytes bytes, const ReadSettings& settings);
  std::unique_ptr<FileBytes> bytes_;
  ReadSettings settings_;
};

}  // namespace morvexa
