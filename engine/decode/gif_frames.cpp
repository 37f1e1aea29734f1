#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "decode/frames.h"
#include "decode/gif_input.h"
#include "morvexa/failure.h"

namespace morvexa {

namespace {

// A GIF read a frame at a time with giflib's record reader, never the whole
// file at once. The canvas is the one the still reader draws on
// (GifCanvasOf); every frame is clipped to it. It starts transparent.
class GifFrames final : public Frames {
 public:
  GifFrames(FileBytes file, const ReadSettings& settings) : file_(std::move(file)) {
    Open();
    const GifCanvas canvas = GifCanvasOf(records_->Gif(), ReadGifFrame(records_->Input(), records_->Gif()), settings);
    width_ = canvas.width, height_ = canvas.height;
    canvas_.assign(width_ * height_ * 4, 0);
  }

  bool Next() override {
    if (!pending_) return false;
    Dispose();
    Draw();
    pending_ = records_->NextFrame();
    plays_ = records_->Plays().value_or(plays_);
    return true;
  }

  bool HasMore() const override { return pending_; }
  const unsigned char* Canvas() const override { return canvas_.data(); }

  void Restart() override {
    Open();
    std::fill(canvas_.begin(), canvas_.end(), 0);
    last_ = {};
  }

 private:
  // The place a frame covered on the canvas (clipped), and what it asked to
  // become of it.
  struct Drawn {
    std::size_t left = 0, top = 0, right = 0, bottom = 0;
    int disposal = DISPOSAL_UNSPECIFIED;
  };

  // Opens the file from its start and reads to the first frame.
  void Open() {
    records_.reset();
    records_.emplace(file_);
    plays_ = records_->Plays().value_or(plays_);
    pending_ = true;
  }

  // Disposes of the frame before, as it asked.
  void Dispose() {
    if (last_.disposal == DISPOSE_BACKGROUND) {
      for (std::size_t y = last_.top; y < last_.bottom; ++y) {
        std::fill_n(canvas_.data() + (y * width_ + last_.left) * 4, (last_.right - last_.left) * 4, 0);
      }
    } else if (last_.disposal == DISPOSE_PREVIOUS && !saved_.empty()) {
      canvas_.swap(saved_);
    }
  }

  // Lays the frame whose descriptor was read over the canvas.
  void Draw() {
    GifFileType& gif = records_->Gif();
    const GifInput& input = records_->Input();
    const GraphicsControlBlock& control = records_->Control();
    GifFrame frame = ReadGifFrame(input, gif);
    frame.ClipTo(width_, height_);
    const std::array<Rgb, 256> palette = GifPalette(gif);
    unsigned char colors[256][4];
    for (std::size_t i = 0; i < 256; ++i) {
      colors[i][0] = palette[i] >> 16 & 0xFF, colors[i][1] = palette[i] >> 8 & 0xFF, colors[i][2] = palette[i] & 0xFF;
      colors[i][3] = 255;
    }
    const int transparent = control.TransparentColor;
    if (control.DisposalMode == DISPOSE_PREVIOUS) saved_ = canvas_;
    GifRows rows(gif, input, frame);
    std::size_t y = 0;
    while (const GifPixelType* line = rows.Next(y)) {
      unsigned char* row = canvas_.data() + ((frame.shownTop + y) * width_ + frame.shownLeft) * 4;
      for (std::size_t x = 0; x < frame.shownWidth; ++x) {
        if (line[x] != transparent) std::memcpy(row + x * 4, colors[line[x]], 4);
      }
    }
    rows.Finish();
    delay_ = ShownDelay(control.DelayTime * 10);
    last_ = {frame.shownLeft, frame.shownTop, frame.shownLeft + frame.shownWidth, frame.shownTop + frame.shownHeight,
             control.DisposalMode};
  }

  FileBytes file_;
  std::optional<GifRecords> records_;
  bool pending_ = false;  // a frame's descriptor was read, not its pixels
  Drawn last_;
  std::vector<unsigned char> canvas_, saved_;
};

}  // namespace

bool GifHoldsFrames(const FileBytes& file) {
  GifInput input{&file};
  const GifHandle gif = OpenGif(input);
  int images = 0;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif.get(), &type) != GIF_OK || type == TERMINATE_RECORD_TYPE) return false;
    GifByteType* block = nullptr;
    int code = 0;
    if (type == IMAGE_DESC_RECORD_TYPE) {
      if (++images == 2) return true;
      // The frame's compressed data, passed over undecoded.
      if (!ReadGifImageDesc(*gif) || DGifGetCode(gif.get(), &code, &block) != GIF_OK) return false;
      while (block) {
        if (DGifGetCodeNext(gif.get(), &block) != GIF_OK) return false;
      }
    } else if (type == EXTENSION_RECORD_TYPE) {
      if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK) return false;
      while (block) {
        if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK) return false;
      }
    }
  }
}

std::unique_ptr<Frames> ReadGifFrames(FileBytes file, const ReadSettings& settings) {
  return std::make_unique<GifFrames>(std::move(file), settings);
}

}  // namespace morvexa
