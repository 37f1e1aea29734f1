#include "morvexa/convert_picture.h"

#include <cmath>
#include <stdexcept>

#include "convert/blocks_to_art.h"
#include "convert/brightness_ramp.h"
#include "convert/color_reduction.h"
#include "convert/fine_blocks.h"
#include "convert/hanzi_glyphs.h"
#include "convert/hanzi_to_art.h"
#include "convert/picture_to_asc.h"
#include "convert/read_ahead.h"
#include "convert/shapes_to_art.h"
#include "convert/symbol_glyphs.h"
#include "convert/tone_levels.h"
#include "morvexa/failure.h"
#include "morvexa/read_settings.h"
#include "pixels/area_average.h"
#include "pixels/picture_reader.h"

namespace morvexa {

namespace {

// Pixels from which reading a picture ahead on a second thread pays.
constexpr std::size_t kLargePicture = std::size_t{1} << 20;

std::size_t AtLeastOne(double v) { return static_cast<std::size_t>(std::max(1.0, std::round(v))); }

// Readers of one picture from its first row, for as many passes as a way
// of drawing makes: the reader at hand first, then new ones from the file
// or stream read again, or, for a picture that cannot be read again (one
// made in memory), from a copy of it held whole.
class Passes {
 public:
  Passes(std::unique_ptr<PictureReader> first, std::function<std::unique_ptr<PictureReader>()> reopen)
      : first_(std::move(first)), reopen_(std::move(reopen)) {}

  // A reader for the next pass; last: no other pass follows.
  std::unique_ptr<PictureReader> Next(bool last = false) {
    if (first_ && (reopen_ || last)) return std::move(first_);
    if (reopen_) return reopen_();
    if (first_) whole_ = ReadWhole(*first_), first_.reset();
    PixelImage copy(whole_.width, whole_.height);
    std::copy_n(whole_.pixels.get(), whole_.width * whole_.height, copy.pixels.get());
    return std::make_unique<MemoryPicture>(std::move(copy));
  }

 private:
  std::unique_ptr<PictureReader> first_;
  std::function<std::unique_ptr<PictureReader>()> reopen_;
  PixelImage whole_;
};

}  // namespace

bool PictureOptions::Plain() const {
  const auto* perColor = std::get_if<SymbolPerColor>(&way);
  return !Sized() && perColor && !perColor->fill;
}

ArtSize FitArtSize(std::size_t width, std::size_t height, const PictureOptions& options) {
  if (width == 0 || height == 0) return {0, 0};
  if (options.width != 0 && options.height != 0) return {options.width, options.height};
  if (!options.Sized() && options.PixelsAcross() > 1) {
    PictureOptions sized = options;
    sized.width = AtLeastOne(static_cast<double>(width) / options.PixelsAcross());
    return FitArtSize(width, height, sized);
  }
  const double proportion = static_cast<double>(height) / static_cast<double>(width);
  if (options.width != 0)
    return {options.width, AtLeastOne(static_cast<double>(options.width) * proportion * options.aspect)};
  if (options.height != 0)
    return {AtLeastOne(static_cast<double>(options.height) / proportion / options.aspect), options.height};
  return {width, height};
}

PictureOptions InProportion(PictureOptions options, std::size_t width, std::size_t height) {
  if (!options.Sized() && !options.CellPerPixel()) options.width = FitArtSize(width, height, options).columns;
  return options;
}

ArtSize FitArtWithin(std::size_t width, std::size_t height, std::size_t columns, std::size_t lines, double aspect) {
  if (width == 0 || height == 0 || columns == 0 || lines == 0) return {0, 0};
  PictureOptions fit;
  fit.aspect = aspect;
  fit.width = columns;
  const ArtSize wide = FitArtSize(width, height, fit);
  if (wide.lines <= lines) return wide;
  fit.width = 0;
  fit.height = lines;
  ArtSize high = FitArtSize(width, height, fit);
  high.columns = std::min(high.columns, columns);
  return high;
}

namespace {

// Each way of drawing, from a reader of the picture at its first row.
class Drawing {
 public:
  Drawing(const PictureOptions& options, Passes& passes, ArtSize size,
          std::function<std::unique_ptr<PictureReader>()> reopen, CharList& list, ArtSink& sink)
      : options_(options), passes_(passes), size_(size), reopen_(std::move(reopen)), list_(list), sink_(sink) {}

  void operator()(const SymbolPerColor& way) { Colors(0, false, way.fill); }
  void operator()(const ReducedColors& way) { Colors(way.colors, way.dither, way.fill); }

  void operator()(const Ramp& way) {
    const SymbolGlyphs& glyphs = Glyphs();
    // The default ramp runs by the ink of the glyphs of the font it will be
    // read in, of the symbols that font draws.
    ByteString symbols = way.symbols;
    if (!glyphs.font.empty() && symbols == kDefaultRamp) {
      std::erase_if(symbols, [&](char c) { return !glyphs.drawn[static_cast<std::size_t>(c - 0x20)]; });
      std::stable_sort(symbols.begin(), symbols.end(), [&](char a, char b) {
        return glyphs.shareOf[static_cast<unsigned char>(a)] < glyphs.shareOf[static_cast<unsigned char>(b)];
      });
    }
    const ToneLevels levels = Levels();
    RampToAsc(*Sized(passes_.Next(true)), symbols, way.invert, levels, list_, sink_, way.fill, glyphs);
  }

  void operator()(const Shapes& way) {
    if (size_.columns == 0) return Colors(0, false, way.fill);
    // Plain shapes follow the picture's tones through its levels.
    const ToneLevels levels = way.fill ? ToneLevels{} : Levels();
    ShapesToArt(*Samples(), size_.columns, way.fill, way.invert, levels, options_.palette, Glyphs(), list_, sink_);
  }

  void operator()(const Blocks& way) {
    if (size_.columns == 0) return Colors(0, false, false);
    if (way.kind == BlockKind::Fine || way.kind == BlockKind::FineCodePage936) {
      // Without colors, the cells' tones follow the picture's levels.
      const ToneLevels levels = sink_.Colors() == CellColors::None ? Levels() : ToneLevels{};
      FineBlocksToArt(*Samples(), size_.columns, way.kind == BlockKind::FineCodePage936, way.invert, levels,
                      options_.palette, list_, sink_);
      return;
    }
    BlocksToArt(*Samples(), size_.columns, way.kind, way.invert, options_.palette, list_, sink_);
  }

  void operator()(const Hanzi& way) {
    if (size_.columns == 0) return Colors(0, false, false);
    // A cell is two columns: an odd column left over stays out.
    const std::size_t cells = std::max<std::size_t>(1, size_.columns / 2);
    const ToneLevels levels = Levels();
    const std::shared_ptr<const HanziGlyphs> glyphs =
        HanziGlyphs::For(way.text.empty() ? way.characters : way.text, options_.glyphs);
    HanziToArt(*Samples(cells * static_cast<std::size_t>(Hanzi::kCellSamples.wide)), cells, levels, *glyphs, way, list_,
               sink_);
  }

 private:
  // The glyphs of the font the art will be read in.
  const SymbolGlyphs& Glyphs() const {
    const PictureOptions::GlyphsOf& of = options_.glyphs;
    if (of.font.empty()) return SymbolGlyphs::Get();
    if (of.drawnBy) return SymbolGlyphs::Drawn(of.font, of.pixels, of.drawnBy);
    try {
      return SymbolGlyphs::Of(of.font, of.pixels);
    } catch (const Failure&) {
      if (of.fallBack) return SymbolGlyphs::Get();
      throw;
    }
  }

  // The picture's tone levels, found on a first pass over its cells.
  ToneLevels Levels() {
    std::unique_ptr<PictureReader> cells = passes_.Next();
    if (size_.columns != cells->Width() || size_.lines != cells->Height()) {
      cells = SizedPicture(std::move(cells), size_.columns, size_.lines, size_.columns, size_.lines);
    }
    return ToneLevels::Of(*cells);
  }

  // The picture at the art's size, a pixel a cell, when a size is asked.
  std::unique_ptr<PictureReader> Sized(std::unique_ptr<PictureReader> read) const {
    if (!options_.Sized() || size_.columns == 0) return read;
    return SizedPicture(std::move(read), size_.columns, size_.lines, size_.columns, size_.lines);
  }

  // Each cell seen as a few samples of the picture (wide samples across
  // when given). A large picture is read and sized on a second thread while
  // its cells are matched on this one.
  std::unique_ptr<PictureReader> Samples(std::size_t across = 0) {
    std::unique_ptr<PictureReader> picture = passes_.Next(true);
    const CellSamples samples = options_.Samples();
    const std::size_t wide = across != 0 ? across : size_.columns * static_cast<std::size_t>(samples.wide);
    const std::size_t high = size_.lines * static_cast<std::size_t>(samples.high);
    if (picture->AverageTo(wide, high)) return picture;
    picture->PreferAtLeast((wide + 1) / 2, (high + 1) / 2);
    const bool large = picture->Width() * picture->Height() >= kLargePicture;
    picture = AreaAverage(std::move(picture), wide, high);
    return large ? ReadAhead(std::move(picture)) : std::move(picture);
  }

  // A symbol for each color, of the picture reduced to colors when it is
  // not 0 (or when a sized picture has more than 95).
  void Colors(int colors, bool dither, bool fill) {
    std::unique_ptr<PictureReader> picture = Sized(passes_.Next(true));
    if (reopen_) {
      // A picture of few colors needs no reduction: they are counted on a
      // first pass, and the art made as the picture is read again. The
      // first reader, and what its decoder holds, is let go first.
      if (colors == 0) {
        const bool few = CountColors(*picture, PictureOptions::kMostColors) <= PictureOptions::kMostColors;
        picture = nullptr;
        if (few) {
          PictureToAsc(*Sized(reopen_()), list_, sink_, nullptr, fill);
          return;
        }
        colors = PictureOptions::kMostColors;
      }
      // Reduced from the picture read again for each of libimagequant's
      // passes, and once more for the cells' own colors: nothing the size
      // of the picture is held but the reduced one, a byte a cell.
      const auto again = [&] { return Sized(reopen_()); };
      PixelRows rows(again, std::move(picture));
      const std::unique_ptr<PictureReader> art = ReduceColors(rows, colors, dither);
      PixelRows own(again);
      PictureToAsc(*art, list_, sink_, &own, fill);
      return;
    }
    // The colors are counted, or reduced, from the whole (sized) picture.
    PixelImage cells = ReadWhole(*picture);
    if (colors == 0 && CountColors(cells, PictureOptions::kMostColors) > PictureOptions::kMostColors) {
      colors = PictureOptions::kMostColors;
    }
    if (colors == 0) {
      MemoryPicture art(std::move(cells));
      PictureToAsc(art, list_, sink_, nullptr, fill);
      return;
    }
    // The cells keep the colors they had before the reduction.
    PixelRows rows(cells);
    const std::unique_ptr<PictureReader> art = ReduceColors(rows, colors, dither);
    PictureToAsc(*art, list_, sink_, &rows, fill);
  }

  const PictureOptions& options_;
  Passes& passes_;
  const ArtSize size_;
  const std::function<std::unique_ptr<PictureReader>()> reopen_;
  CharList& list_;
  ArtSink& sink_;
};

}  // namespace

void ConvertPicture(Picture source, const PictureOptions& options, CharList& list, ArtSink& sink) {
  const std::function<std::unique_ptr<PictureReader>()> reopen = std::move(source).TakeReopen();
  std::unique_ptr<PictureReader> picture = std::move(source).TakeReader();
  // A symbol per pixel and color (each on its own color with fill): the
  // picture as it is read, whatever its number of colors.
  if (const auto* perColor = std::get_if<SymbolPerColor>(&options.way); perColor && !options.Sized()) {
    PictureToAsc(*picture, list, sink, nullptr, perColor->fill);
    return;
  }
  const ArtSize size = FitArtSize(picture->Width(), picture->Height(), options);
  if (size.Symbols() > kMostArtSymbols) throw ArtTooLarge(size.Symbols(), size);
  Passes passes(std::move(picture), reopen);
  std::visit(Drawing(options, passes, size, reopen, list, sink), options.way);
}

}  // namespace morvexa
