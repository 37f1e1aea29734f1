#include "decode/frames.h"

#include <array>

#include "decode/picture_formats.h"
#include "morvexa/failure.h"
#include "pixels/composite.h"

namespace morvexa {

namespace {

// The rows of a canvas of frames, laid over a background.
class CanvasReader final : public PictureReader {
 public:
  CanvasReader(const Frames& frames, Rgb background, std::unique_ptr<Frames> owned = {})
      : owned_(std::move(owned)), frames_(frames), background_(background) {
    width_ = frames.Width();
    height_ = frames.Height();
    form_ = PixelForm::Rgb32;
  }

  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    count = std::min(count, height_ - next_);
    band.form = PixelForm::Rgb32;
    band.rows.clear();
    band.storage.resize(count * width_ * 4 + RowBand::kSlack);
    const unsigned char* canvas = frames_.Canvas();
    for (std::size_t i = 0; i < count; ++i, ++next_) {
      auto* out = reinterpret_cast<Rgb*>(band.storage.data() + i * width_ * 4);
      const unsigned char* in = canvas + next_ * width_ * 4;
      for (std::size_t x = 0; x < width_; ++x, in += 4) out[x] = Composite(in[0], in[1], in[2], in[3], background_);
      band.rows.push_back(reinterpret_cast<const unsigned char*>(out));
    }
    return count;
  }

 private:
  std::unique_ptr<Frames> owned_;
  const Frames& frames_;
  Rgb background_;
  std::size_t next_ = 0;
};

// The format of a file that may hold frames, told by its first bytes.
const PictureFormat* FormatOfFrames(const FileBytes& file) {
  std::array<unsigned char, 16> start{};
  const PictureFormat* format = FormatOf({start.data(), file.ReadSome(0, start)});
  return format && format->frames ? format : nullptr;
}

}  // namespace

bool HoldsFrames(const FileBytes& file) {
  try {
    if (const PictureFormat* format = FormatOfFrames(file)) return format->holdsFrames(file);
  } catch (const Failure&) {
    // A file that is no animation is read, and refused, as a still picture.
  }
  return false;
}

std::unique_ptr<Frames> ReadFrames(FileBytes file, const ReadSettings& settings) {
  const PictureFormat* format = FormatOfFrames(file);
  return format ? format->frames(std::move(file), settings) : nullptr;
}

std::unique_ptr<PictureReader> CanvasPicture(const Frames& frames, Rgb background) {
  return std::make_unique<CanvasReader>(frames, background);
}

std::unique_ptr<PictureReader> CanvasPicture(std::unique_ptr<Frames> frames, Rgb background) {
  const Frames& shown = *frames;
  return std::make_unique<CanvasReader>(shown, background, std::move(frames));
}

}  // namespace morvexa
