#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>

#include "morvexa/picture.h"
#include "morvexa/read_settings.h"

namespace morvexa {

class FileBytes;
class Frames;

// A picture file or stream, opened once and told apart once (a stream is
// read once, however it is then drawn), read as the frames it holds: an
// animated GIF's or WebP's one after another, each composed on its canvas as
// browsers show it; a still picture, or an animation of one frame, as one.
// The window, the command line and the open dialog's preview all ask it for
// their pictures, still or played.
//
// The first frame is read as a still picture is, whether it is drawn alone
// or played: a band of rows at a time as it is converted, on its canvas,
// and again from the file for another pass. Each later frame is read from
// the canvas, which holds the canvas's pixels and, at most, one saved
// canvas, whatever the number of frames.
//
// Failures: "Cannot open file %s" when the file cannot be opened or is not a
// regular file; "Bitmap image is not valid" when it is not a picture the
// program reads; "Stream read error" when it ends early. An empty file is a
// picture of 0 x 0 pixels, unless the settings say it is none.
class PictureFile {
 public:
  static PictureFile Open(const std::filesystem::path& path, const ReadSettings& settings = {});
  // The picture on a stream (standard input), read to its end first.
  static PictureFile ReadStream(int fd, const ReadSettings& settings = {});
  PictureFile(PictureFile&&) noexcept;
  PictureFile& operator=(PictureFile&&) noexcept;
  ~PictureFile();

  // One frame drawn alone, as a still picture: 0 for the first, which is
  // also a still picture's only one. Alone, it may be decoded smaller where
  // a smaller picture will do. A frame past the last is refused with
  // NoSuchFrame, after a still picture that is not one has failed as itself.
  Picture Still(std::size_t frame = 0) const;

  // Whether it holds more than one frame: an animation, to be played. The
  // first frame is composed to tell, and fails as Next would.
  bool Animated();
  // How many times the frames are played through; 0 for ever.
  int Plays();

  // Moves to the next frame, the first at the first call; false after the
  // last. A frame that is not whole fails as a still picture would.
  bool Next();
  // How long the frame moved to last is shown, in milliseconds; under 20
  // counts as 100, as browsers count it.
  int Delay() const;
  // The frame moved to last, at full size (as the canvas is, so that the
  // frames of a play are drawn alike). A frame after the first reads this
  // file's canvas, so it must be converted before Next.
  Picture Frame() const;
  // Back to before the first frame.
  void Restart();

 private:
  PictureFile(FileBytes bytes, const ReadSettings& settings);
  // Brings the canvas to the frame numbered from 1; false when there are
  // fewer frames.
  bool ComposeTo(std::size_t frame);

  std::unique_ptr<FileBytes> bytes_;
  ReadSettings settings_;
  std::optional<bool> animated_;    // told once asked
  std::unique_ptr<Frames> canvas_;  // an animation's frames, composed as far as composed_
  std::size_t composed_ = 0;
  std::size_t frame_ = 0;  // the frame moved to last, from 1; 0 before the first
};

// A frame asked for past the last: "The picture has only N frames."
class NoSuchFrame : public std::out_of_range {
 public:
  explicit NoSuchFrame(std::size_t frames);
  std::size_t Frames() const { return frames_; }

 private:
  std::size_t frames_;
};

}  // namespace morvexa
