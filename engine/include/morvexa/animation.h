#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "morvexa/picture.h"
#include "morvexa/read_settings.h"

namespace morvexa {

class FileBytes;
class Frames;

// The frames of an animated GIF or WebP, composed one at a time on its
// canvas as browsers show them, for playing: each frame a Picture that
// converts as a still one does.
class Animation {
 public:
  // The animation in a picture file; nothing when the file is a still
  // picture or an animation of one frame. Fails as Picture::Open does.
  static std::unique_ptr<Animation> Open(const std::filesystem::path& path, const ReadSettings& settings = {});
  // The same of a stream (standard input), read to its end first.
  static std::unique_ptr<Animation> ReadStream(int fd, const ReadSettings& settings = {});
  ~Animation();

  std::size_t Width() const;
  std::size_t Height() const;
  // How many times the frames are played through; 0 for ever.
  int Plays() const;

  // Composes the next frame; false after the last.
  bool Next();
  // How long the frame composed last is shown, in milliseconds.
  int Delay() const;
  // The frame composed last, laid over the settings' background. It reads
  // this animation's canvas, so it must be converted before Next.
  Picture Frame() const;
  // Back to before the first frame.
  void Restart();

 private:
  friend class PictureFile;
  Animation(std::unique_ptr<Frames> frames, Rgb background);
  static std::unique_ptr<Animation> Of(const FileBytes& file, const ReadSettings& settings);
  std::unique_ptr<Frames> frames_;
  Rgb background_;
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
