#include "decode/gif_reader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "convert/area_average.h"
#include "decode/gif_input.h"
#include "morvexa/failure.h"

namespace morvexa {

namespace {

// The first picture of the file (of an animation, its first frame) on the
// file's canvas (its logical screen, widened to hold the picture if it is
// smaller), at its offset; pixels it leaves uncovered, and its transparent
// ones, take the background's color.
//
// A picture's rows are read a line at a time as they are asked for; an
// interlaced one, whose rows come in four passes, is read whole first, one
// byte a pixel (or, when a smaller picture would do, reduced as it comes).
class GifReader final : public PictureReader {
 public:
  GifReader(FileBytes file, const ReadSettings& settings) : file_(std::move(file)), background_(settings.background) {
    input_.file = &file_;
    gif_ = OpenGif(input_);
    const int transparent = ReadToPicture();
    const GifImageDesc& desc = gif_->Image;
    if (desc.Width <= 0 || desc.Height <= 0 || desc.Left < 0 || desc.Top < 0) {
      throw Failure(FailureKind::BitmapNotValid);
    }
    left_ = static_cast<std::size_t>(desc.Left), top_ = static_cast<std::size_t>(desc.Top);
    pictureWidth_ = static_cast<std::size_t>(desc.Width), pictureHeight_ = static_cast<std::size_t>(desc.Height);
    width_ = std::max(static_cast<std::size_t>(std::max(gif_->SWidth, 0)), left_ + pictureWidth_);
    height_ = std::max(static_cast<std::size_t>(std::max(gif_->SHeight, 0)), top_ + pictureHeight_);
    CheckGifData(input_, pictureWidth_, pictureHeight_);
    settings.CheckSize(width_, height_);
    form_ = PixelForm::Rgb32;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif_->SColorMap;
    if (!map) throw Failure(FailureKind::BitmapNotValid);
    palette_.assign(256, 0);  // black past the file's color map
    for (int i = 0; i < map->ColorCount && i < 256; ++i) {
      const GifColorType& c = map->Colors[i];
      palette_[static_cast<std::size_t>(i)] = static_cast<Rgb>(c.Red) << 16 | c.Green << 8 | c.Blue;
    }
    if (transparent >= 0 && transparent < 256) palette_[static_cast<std::size_t>(transparent)] = background_;
    line_.resize(pictureWidth_);
    interlaced_ = desc.Interlace;
    canvasWidth_ = width_, canvasHeight_ = height_;
  }

  // An interlaced picture, held whole otherwise (a byte a pixel), is
  // averaged as its lines come when that takes less.
  bool AverageTo(std::size_t columns, std::size_t lines) override {
    if (!interlaced_ || started_ || !AreaSums::Pay(canvasWidth_, canvasHeight_, columns, lines, 1)) return false;
    averages_ = AreaSums(canvasWidth_, canvasHeight_, columns, lines, {left_, top_, pictureWidth_, pictureHeight_});
    width_ = columns, height_ = lines;
    return true;
  }

  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    if (interlaced_ && !started_) ReadInterlaced();
    started_ = true;
    count = std::min(count, height_ - next_);
    if (!averages_.Empty()) {
      averages_.AverageRows(next_, count, background_, band);
      next_ += count;
      return count;
    }
    band.form = PixelForm::Rgb32;
    band.rows.clear();
    band.storage.resize(count * width_ * 4 + RowBand::kSlack);
    for (std::size_t i = 0; i < count; ++i, ++next_) {
      auto* out = reinterpret_cast<Rgb*>(band.storage.data() + i * width_ * 4);
      if (next_ < top_ || next_ >= top_ + pictureHeight_) {
        std::fill_n(out, width_, background_);
      } else {
        const unsigned char* indices = whole_.empty() ? ReadLine() : whole_.data() + (next_ - top_) * pictureWidth_;
        std::fill_n(out, left_, background_);
        for (std::size_t x = 0; x < pictureWidth_; ++x) out[left_ + x] = palette_[indices[x]];
        std::fill(out + left_ + pictureWidth_, out + width_, background_);
      }
      band.rows.push_back(reinterpret_cast<const unsigned char*>(out));
    }
    return count;
  }

 private:
  // Reads up to the first picture's descriptor; its transparent index, or
  // -1.
  int ReadToPicture() {
    int transparent = -1;
    for (;;) {
      GifRecordType type;
      if (DGifGetRecordType(gif_.get(), &type) != GIF_OK) FailGif(input_);
      if (type == TERMINATE_RECORD_TYPE) FailGif(input_);  // no picture at all
      if (type == EXTENSION_RECORD_TYPE) {
        int code = 0;
        GifByteType* extension = nullptr;
        if (DGifGetExtension(gif_.get(), &code, &extension) != GIF_OK) FailGif(input_);
        GraphicsControlBlock control{};
        if (code == GRAPHICS_EXT_FUNC_CODE && ReadGraphicControl(extension, control)) {
          transparent = control.TransparentColor;
        }
        while (extension) {
          if (DGifGetExtensionNext(gif_.get(), &extension) != GIF_OK) FailGif(input_);
        }
        continue;
      }
      if (type == IMAGE_DESC_RECORD_TYPE) break;
    }
    if (DGifGetImageDesc(gif_.get()) != GIF_OK) FailGif(input_);
    return transparent;
  }

  const unsigned char* ReadLine() {
    if (DGifGetLine(gif_.get(), line_.data(), static_cast<int>(pictureWidth_)) != GIF_OK) FailGif(input_);
    return line_.data();
  }

  // Interlaced rows, which come in passes (kGifPassStart): held whole, or
  // averaged.
  void ReadInterlaced() {
    const bool reduced = !averages_.Empty();
    if (!reduced) whole_.resize(pictureWidth_ * pictureHeight_);
    for (std::size_t pass = 0; pass < kGifPasses; ++pass) {
      for (std::size_t y = kGifPassStart[pass]; y < pictureHeight_; y += kGifPassStep[pass]) {
        unsigned char* line = reduced ? line_.data() : whole_.data() + y * pictureWidth_;
        if (DGifGetLine(gif_.get(), line, static_cast<int>(pictureWidth_)) != GIF_OK) FailGif(input_);
        if (reduced) {
          for (std::size_t x = 0; x < pictureWidth_; ++x) averages_.Add(left_ + x, top_ + y, palette_[line[x]]);
        }
      }
    }
  }

  FileBytes file_;
  Rgb background_;
  GifInput input_;
  GifHandle gif_;
  std::size_t left_ = 0, top_ = 0, pictureWidth_ = 0, pictureHeight_ = 0;
  bool interlaced_ = false, started_ = false;
  std::size_t canvasWidth_ = 0, canvasHeight_ = 0;
  AreaSums averages_;                 // an interlaced picture's averages
  std::vector<unsigned char> line_;   // one line of the picture
  std::vector<unsigned char> whole_;  // an interlaced picture
  std::size_t next_ = 0;
};

}  // namespace

bool LooksLikeGif(std::span<const unsigned char> start) {
  return start.size() >= 6 &&
         (std::memcmp(start.data(), "GIF87a", 6) == 0 || std::memcmp(start.data(), "GIF89a", 6) == 0);
}

std::unique_ptr<PictureReader> ReadGif(FileBytes file, const ReadSettings& settings) {
  return std::make_unique<GifReader>(std::move(file), settings);
}

}  // namespace morvexa
