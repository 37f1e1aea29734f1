#include "morvexa/picture_file.h"

#include <string>

#include "decode/frames.h"
#include "decode/open_picture.h"
#include "files/file_bytes.h"

namespace morvexa {

namespace {

// A frame read at full size: a conversion's leave to decode a smaller
// picture (PreferAtLeast) is not taken, so that the first frame of a play
// is drawn from as many pixels as the canvas gives the others.
class FullSize final : public PictureReader {
 public:
  explicit FullSize(std::unique_ptr<PictureReader> frame) : frame_(std::move(frame)) { Follow(); }

  std::size_t ReadRows(std::size_t count, RowBand& band) override { return frame_->ReadRows(count, band); }
  void SkipRows(std::size_t count) override { frame_->SkipRows(count); }
  bool AverageTo(std::size_t columns, std::size_t lines) override {
    const bool averaged = frame_->AverageTo(columns, lines);
    Follow();
    return averaged;
  }

 private:
  void Follow() {
    width_ = frame_->Width(), height_ = frame_->Height();
    form_ = frame_->Form();
    palette_ = frame_->Palette();
  }

  std::unique_ptr<PictureReader> frame_;
};

// A picture read by read, which reads it again for another pass.
template <typename Read>
Picture Rereadable(Read read) {
  return Picture(read(), read);
}

}  // namespace

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

Picture PictureFile::Still(std::size_t frame) const {
  return Rereadable([bytes = *bytes_, settings = settings_, frame] { return OpenFrame(bytes, settings, frame); });
}

// An animation is told as it always was: a file that holds a second frame
// (told without decoding a pixel), whose first frame composes and is
// followed by another. The canvas is kept where that left it, at the first
// frame, for the play.
bool PictureFile::Animated() {
  if (!animated_) {
    bool animated = false;
    if (HoldsFrames(*bytes_)) {
      canvas_ = ReadFrames(*bytes_, settings_);
      animated = canvas_ && canvas_->Next() && canvas_->HasMore();
      composed_ = animated ? 1 : 0;
      if (!animated) canvas_.reset();
    }
    animated_ = animated;
  }
  return *animated_;
}

int PictureFile::Plays() { return Animated() ? canvas_->Plays() : 1; }

bool PictureFile::Next() {
  if (!Animated()) {
    // A still picture's one frame.
    if (frame_ > 0) return false;
    frame_ = 1;
    return true;
  }
  if (!ComposeTo(frame_ + 1)) return false;
  ++frame_;
  return true;
}

bool PictureFile::ComposeTo(std::size_t frame) {
  if (composed_ > frame) {
    canvas_->Restart();
    composed_ = 0;
  }
  for (; composed_ < frame; ++composed_) {
    if (!canvas_->Next()) return false;
  }
  return true;
}

int PictureFile::Delay() const { return canvas_ ? canvas_->Delay() : Frames::ShownDelay(0); }

Picture PictureFile::Frame() const {
  // The first frame, whether of a still picture or an animation, is read
  // as a still picture is; it is also on the canvas, for the next frame.
  if (frame_ <= 1) {
    return Rereadable(
        [bytes = *bytes_, settings = settings_] { return std::make_unique<FullSize>(OpenPicture(bytes, settings)); });
  }
  return Picture(CanvasPicture(*canvas_, settings_.background));
}

void PictureFile::Restart() { frame_ = 0; }

NoSuchFrame::NoSuchFrame(std::size_t frames)
    : std::out_of_range("The picture has only " + std::to_string(frames) + (frames == 1 ? " frame." : " frames.")),
      frames_(frames) {}

}  // namespace morvexa
