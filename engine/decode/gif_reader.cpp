#include "decode/gif_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "decode/gif_input.h"
#include "morvexa/failure.h"
#include "pixels/area_average.h"

namespace morvexa {

namespace {

// The first picture of the file (of an animation, its first frame) on the
// file's canvas (GifCanvasOf), at its offset and clipped to it; pixels it
// leaves uncovered, and its transparent ones, take the background's color.
//
// A picture's rows are read a line at a time as they are asked for; an
// interlaced one, whose rows come in four passes, is read whole first (what
// the canvas shows of it), one byte a pixel (or, when a smaller picture
// would do, reduced as it comes).
class GifReader final : public PictureReader {
 public:
  GifReader(FileBytes file, const ReadSettings& settings)
      : file_(std::move(file)), background_(settings.background), records_(file_) {
    GifFileType& gif = records_.Gif();
    frame_ = ReadGifFrame(records_.Input(), gif);
    const GifCanvas canvas = GifCanvasOf(gif, frame_, settings);
    frame_.ClipTo(canvas.width, canvas.height);
    width_ = canvasWidth_ = canvas.width, height_ = canvasHeight_ = canvas.height;
    form_ = PixelForm::Rgb32;
    const std::array<Rgb, 256> colors = GifPalette(gif);
    palette_.assign(colors.begin(), colors.end());
    const int transparent = records_.Control().TransparentColor;
    if (transparent >= 0 && transparent < 256) palette_[static_cast<std::size_t>(transparent)] = background_;
    rows_.emplace(gif, records_.Input(), frame_);
  }

  // An interlaced picture, held whole otherwise (a byte a pixel), is
  // averaged as its lines come when that takes less.
  bool AverageTo(std::size_t columns, std::size_t lines) override {
    if (!frame_.interlaced || started_ || !AreaSums::Pay(canvasWidth_, canvasHeight_, columns, lines, 1)) return false;
    averages_ = AreaSums(canvasWidth_, canvasHeight_, columns, lines,
                         {frame_.shownLeft, frame_.shownTop, frame_.shownWidth, frame_.shownHeight});
    width_ = columns, height_ = lines;
    return true;
  }

  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    if (frame_.interlaced && !started_) ReadInterlaced();
    started_ = true;
    count = std::min(count, height_ - next_);
    if (!averages_.Empty()) {
      averages_.AverageRows(next_, count, background_, band);
      next_ += count;
      return count;
    }
    const std::size_t left = frame_.shownLeft, top = frame_.shownTop, shown = frame_.shownWidth;
    band.form = PixelForm::Rgb32;
    band.rows.clear();
    band.storage.resize(count * width_ * 4 + RowBand::kSlack);
    for (std::size_t i = 0; i < count; ++i, ++next_) {
      auto* out = reinterpret_cast<Rgb*>(band.storage.data() + i * width_ * 4);
      if (next_ < top || next_ >= top + frame_.shownHeight) {
        std::fill_n(out, width_, background_);
      } else {
        const unsigned char* indices = whole_.empty() ? ReadLine() : whole_.data() + (next_ - top) * shown;
        std::fill_n(out, left, background_);
        for (std::size_t x = 0; x < shown; ++x) out[left + x] = palette_[indices[x]];
        std::fill(out + left + shown, out + width_, background_);
      }
      band.rows.push_back(reinterpret_cast<const unsigned char*>(out));
    }
    return count;
  }

 private:
  const unsigned char* ReadLine() {
    std::size_t y = 0;
    const GifPixelType* line = rows_->Next(y);
    if (!line) throw Failure(FailureKind::BitmapNotValid);
    return line;
  }

  // Interlaced rows, which come in passes (kGifPassStart): held whole, or
  // averaged, as far as the canvas shows them.
  void ReadInterlaced() {
    const bool reduced = !averages_.Empty();
    const std::size_t shown = frame_.shownWidth;
    if (!reduced) whole_.resize(shown * frame_.shownHeight);
    std::size_t y = 0;
    while (const GifPixelType* line = rows_->Next(y)) {
      if (reduced) {
        for (std::size_t x = 0; x < shown; ++x)
          averages_.Add(frame_.shownLeft + x, frame_.shownTop + y, palette_[line[x]]);
      } else {
        std::copy_n(line, shown, whole_.data() + y * shown);
      }
    }
  }

  FileBytes file_;
  Rgb background_;
  GifRecords records_;
  GifFrame frame_;
  std::optional<GifRows> rows_;
  bool started_ = false;
  std::size_t canvasWidth_ = 0, canvasHeight_ = 0;
  AreaSums averages_;                 // an interlaced picture's averages
  std::vector<unsigned char> whole_;  // an interlaced picture, as far as the canvas shows it
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
