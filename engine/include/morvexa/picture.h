#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>

#include "morvexa/read_settings.h"

namespace morvexa {

class FileBytes;
class PictureReader;

// A picture file opened for a conversion, whatever its format (BMP, PNG,
// JPEG, GIF, WebP, told by its first bytes); its rows are read only as the
// conversion asks for them.
//
// Failures: "Cannot open file %s" when the file cannot be opened or is not a
// regular file; "Bitmap image is not valid" when it is not a picture the
// program reads; "Stream read error" when it ends early. An empty file is a
// picture of 0 x 0 pixels.
class Picture {
 public:
  static Picture Open(const std::filesystem::path& path, const ReadSettings& settings = {});
  // The picture on a stream (standard input), read to its end first.
  static Picture ReadStream(int fd, const ReadSettings& settings = {});

  explicit Picture(std::unique_ptr<PictureReader> reader);
  Picture(Picture&&) noexcept;
  Picture& operator=(Picture&&) noexcept;
  ~Picture();

  std::size_t Width() const;
  std::size_t Height() const;

  // The engine's reader of the picture's rows.
  std::unique_ptr<PictureReader> TakeReader() &&;
  // Another reader of the same picture from its first row, for a second
  // pass over it; none for a picture that was not read from a file or a
  // stream.
  std::function<std::unique_ptr<PictureReader>()> TakeReopen() &&;

 private:
  friend class PictureFile;
  // A picture of bytes read once, which can be read again from them.
  static Picture Reopenable(FileBytes bytes, const ReadSettings& settings);

  std::unique_ptr<PictureReader> reader_;
  std::function<std::unique_ptr<PictureReader>()> reopen_;
};

}  // namespace morvexa
