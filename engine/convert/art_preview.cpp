#include "morvexa/art_preview.h"

#include <algorithm>
#include <memory>
#include <new>
#include <stdexcept>

#include "decode/or_nothing.h"
#include "morvexa/art_size.h"
#include "morvexa/convert_picture.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/picture_file.h"
#include "morvexa/thumbnail.h"
#include "pixels/picture_reader.h"

namespace morvexa {

namespace {

// Keeps the color each cell shows; one byte a cell, as picture art has.
class LookSink final : public ArtSink {
 public:
  explicit LookSink(std::vector<Rgb>& cells) : cells_(cells) {}

  void Clear() override { cells_.clear(); }
  void WriteLine(std::size_t, ByteStringView line) override { cells_.insert(cells_.end(), line.size(), kNoColor); }
  CellColors Colors() const override { return CellColors::Look; }
  // A look's color is given as the ink.
  void WriteColoredLine(std::size_t, ByteStringView, LineColors colors) override {
    cells_.insert(cells_.end(), colors.ink.begin(), colors.ink.end());
  }
  void WriteColoredLines(std::size_t, std::size_t, ByteStringView text, LineColors colors) override {
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = std::min(text.find(kLineBreak, at), text.size());
      cells_.insert(cells_.end(), colors.ink.begin() + static_cast<std::ptrdiff_t>(at),
                    colors.ink.begin() + static_cast<std::ptrdiff_t>(end));
      at = end + kLineBreak.size();
    }
  }

 private:
  std::vector<Rgb>& cells_;
};

// The preview of a picture from its thumbnail.
std::optional<ArtPreview> PreviewOf(std::optional<Thumbnail> thumbnail, const PictureOptions& options,
                                    const std::atomic<bool>* cancelled) {
  if (!thumbnail) return {};
  ArtPreview preview;
  preview.pictureWidth = thumbnail->pictureWidth;
  preview.pictureHeight = thumbnail->pictureHeight;
  const ArtSize art = FitArtSize(preview.pictureWidth, preview.pictureHeight,
                                 InProportion(options, preview.pictureWidth, preview.pictureHeight));
  preview.columns = art.columns;
  preview.lines = art.lines;
  preview.tallCells = !options.Plain();
  // The thumbnail converted as the picture will be: to the art's size when
  // a size is given, or cells of several pixels (shapes); otherwise as the
  // picture, its lines in proportion.
  const bool ownCells = options.Sized() || options.PixelsAcross() > 1;
  PictureOptions small = InProportion(options, thumbnail->width, thumbnail->height);
  if (ownCells) small.width = art.columns, small.height = art.lines;
  const ArtSize cells = ownCells ? art : FitArtSize(thumbnail->width, thumbnail->height, small);
  preview.cellsWide = cells.columns;
  // Chinese characters are two columns each: an odd last column stays out,
  // and one column is a character all the same.
  if (std::holds_alternative<Hanzi>(options.way)) preview.cellsWide = std::max<std::size_t>(2, cells.columns / 2 * 2);
  preview.cellsHigh = cells.lines;
  PixelImage pixels(thumbnail->width, thumbnail->height);
  std::copy(thumbnail->pixels.begin(), thumbnail->pixels.end(), pixels.pixels.get());
  thumbnail.reset();
  MemoryCharList list;
  LookSink sink(preview.cells);
  try {
    ConvertPicture(Picture(std::make_unique<MemoryPicture>(std::move(pixels))), small, list, sink);
  } catch (const std::bad_alloc&) {
    return {};
  } catch (const std::length_error&) {
    return {};
  }
  if (cancelled && cancelled->load(std::memory_order_relaxed)) return {};
  return preview;
}

// The frames of an animation previewed, the first kMostPreviewFrames;
// nothing for a still picture, or when a frame cannot be previewed.
std::optional<AnimationPreview> PreviewFrames(PictureFile& file, std::size_t side, const PictureOptions& options,
                                              const std::atomic<bool>* cancelled) {
  if (!file.Animated()) return {};
  AnimationPreview preview;
  preview.plays = file.Plays();
  while (preview.frames.size() < kMostPreviewFrames && file.Next()) {
    std::optional<ArtPreview> frame = PreviewOf(ThumbnailOf(file.Frame(), side, cancelled), options, cancelled);
    if (!frame) return {};
    preview.frames.push_back(std::move(*frame));
    preview.delays.push_back(file.Delay());
  }
  return preview;
}

}  // namespace

std::optional<AnimationPreview> PreviewArt(const std::filesystem::path& path, std::size_t side,
                                           const PictureOptions& options, const std::atomic<bool>* cancelled) {
  if (path.empty()) return {};
  // A sized art wider than the side is previewed from a picture as wide.
  side = std::max(side, options.width);
  return OrNothing([&]() -> std::optional<AnimationPreview> {
    PictureFile file = PictureFile::Open(path);
    if (auto frames = OrNothing([&] { return PreviewFrames(file, side, options, cancelled); })) return frames;
    // A still picture, or an animation whose frames cannot all be read:
    // its first frame alone.
    std::optional<ArtPreview> still = PreviewOf(ThumbnailOf(file.Still(), side, cancelled), options, cancelled);
    if (!still) return {};
    AnimationPreview preview;
    preview.frames.push_back(std::move(*still));
    preview.delays.push_back(file.Delay());
    preview.plays = 1;
    return preview;
  });
}

}  // namespace morvexa
