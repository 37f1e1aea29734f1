#pragma once

#include <cstddef>
#include <memory>

#include "files/file_bytes.h"
#include "morvexa/read_settings.h"
#include "pixels/picture_reader.h"

namespace morvexa {

// The frames of an animated picture (GIF, WebP), composed one at a time on
// its canvas, as browsers show them: each frame laid over what the frames
// before it left, after the one before was disposed of as it asks (left,
// cleared to transparent, or the canvas put back as it was before it). The
// one home of each format's frame rules; PictureFile reads the frames after
// the first from here, and the first as a still picture is read, on the
// same canvas (its size found by the same code).
//
// Memory is the canvas and, at most, one saved canvas (or libwebp's two),
// whatever the number of frames.
class Frames {
 public:
  virtual ~Frames() = default;

  std::size_t Width() const { return width_; }
  std::size_t Height() const { return height_; }
  // How many times the frames are played through; 0 for ever.
  int Plays() const { return plays_; }

  // Composes the next frame (the first at the first call); false when
  // there is none left. A frame that is not whole fails as a still picture
  // would ("Stream read error", "Bitmap image is not valid").
  virtual bool Next() = 0;
  // Whether a frame follows the last one composed.
  virtual bool HasMore() const = 0;
  // The canvas as the last frame left it: Height rows of Width pixels, four
  // bytes each (red, green, blue, alpha).
  virtual const unsigned char* Canvas() const = 0;
  // How long the last frame is shown, in milliseconds; under 20 counts as
  // 100, as browsers count it.
  int Delay() const { return delay_; }
  // Back to before the first frame.
  virtual void Restart() = 0;

  static int ShownDelay(int milliseconds) { return milliseconds < 20 ? 100 : milliseconds; }

 protected:
  std::size_t width_ = 0, height_ = 0;
  int plays_ = 1;
  int delay_ = 100;
};

// Whether a GIF or WebP file holds more than one frame, told without
// decoding a pixel: a GIF's records are read past its first frame's data, a
// WebP's header says whether it is an animation. A file that is not whole
// holds none.
bool HoldsFrames(const FileBytes& file);
bool GifHoldsFrames(const FileBytes& file);
bool WebpHoldsFrames(const FileBytes& file);

// The frames of a GIF or WebP file; nothing for a picture of another
// format.
std::unique_ptr<Frames> ReadFrames(FileBytes file, const ReadSettings& settings);
std::unique_ptr<Frames> ReadGifFrames(FileBytes file, const ReadSettings& settings);
std::unique_ptr<Frames> ReadWebpFrames(FileBytes file, const ReadSettings& settings);

// The canvas of frames as a picture, laid over the background: the frame
// composed last, read until the next is composed.
std::unique_ptr<PictureReader> CanvasPicture(const Frames& frames, Rgb background);
// The same, owning the frames.
std::unique_ptr<PictureReader> CanvasPicture(std::unique_ptr<Frames> frames, Rgb background);

}  // namespace morvexa
