#include <algorithm>
#include <cstring>
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
    const GifCanvas canvas = GifCanvasOf(*gif_, ReadGifFrame(input_, *gif_), settings);
    width_ = canvas.width, height_ = canvas.height;
    canvas_.assign(width_ * height_ * 4, 0);
  }

  bool Next() override {
    if (!pending_) return false;
    Dispose();
    Draw();
    pending_ = ReadToImage();
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
    input_ = GifInput{&file_};
    gif_ = OpenGif(input_);
    looping_ = false;
    if (!ReadToImage()) FailGif(input_);  // no picture at all
    pending_ = true;
  }

  // Reads the records up to the next frame's descriptor (its control block
  // noted, and the loop count on the way); false at the file's end. A file
  // that ends between two frames ends the animation, as browsers end it.
  bool ReadToImage() {
    control_ = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    for (;;) {
      GifRecordType type;
      if (DGifGetRecordType(gif_.get(), &type) != GIF_OK) return Ended();
      if (type == TERMINATE_RECORD_TYPE) return false;
      if (type == IMAGE_DESC_RECORD_TYPE) {
        if (!ReadGifImageDesc(*gif_)) return Ended();
        return true;
      }
      if (type != EXTENSION_RECORD_TYPE) continue;
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif_.get(), &code, &block) != GIF_OK) return Ended();
      if (code == GRAPHICS_EXT_FUNC_CODE) (void)ReadGraphicControl(block, control_);
      const bool netscape =
          code == APPLICATION_EXT_FUNC_CODE && block && block[0] == 11 &&
          (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0);
      while (block) {
        if (DGifGetExtensionNext(gif_.get(), &block) != GIF_OK) return Ended();
        // The loop count: how many times the frames are played again.
        if (netscape && block && block[0] >= 3 && block[1] == 1 && !looping_) {
          const int again = block[2] | block[3] << 8;
          plays_ = again == 0 ? 0 : again + 1;
          looping_ = true;
        }
      }
    }
  }

  // A read that failed between frames: the end, unless the file is not cut.
  bool Ended() const {
    if (!input_.ended) FailGif(input_);
    return false;
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
    GifFrame frame = ReadGifFrame(input_, *gif_);
    frame.ClipTo(width_, height_);
    const ColorMapObject& map = GifColors(*gif_);
    unsigned char colors[256][4] = {};  // black past the file's color map
    for (int i = 0; i < 256; ++i) colors[i][3] = 255;
    for (int i = 0; i < map.ColorCount && i < 256; ++i) {
      colors[i][0] = map.Colors[i].Red, colors[i][1] = map.Colors[i].Green, colors[i][2] = map.Colors[i].Blue;
    }
    const int transparent = control_.TransparentColor;
    if (control_.DisposalMode == DISPOSE_PREVIOUS) saved_ = canvas_;
    GifRows rows(*gif_, input_, frame);
    std::size_t y = 0;
    while (const GifPixelType* line = rows.Next(y)) {
      unsigned char* row = canvas_.data() + ((frame.shownTop + y) * width_ + frame.shownLeft) * 4;
      for (std::size_t x = 0; x < frame.shownWidth; ++x) {
        if (line[x] != transparent) std::memcpy(row + x * 4, colors[line[x]], 4);
      }
    }
    rows.Finish();
    delay_ = ShownDelay(control_.DelayTime * 10);
    last_ = {frame.shownLeft, frame.shownTop, frame.shownLeft + frame.shownWidth, frame.shownTop + frame.shownHeight,
             control_.DisposalMode};
  }

  FileBytes file_;
  GifInput input_;
  GifHandle gif_;
  GraphicsControlBlock control_{};
  bool pending_ = false;  // a frame's descriptor was read, not its pixels
  bool looping_ = false;  // the loop count was read
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
