#include "convert/picture_to_asc.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "convert/band_pipeline.h"
#include "convert/color_table.h"
#include "convert/ink_and_paper.h"
#include "convert/symbol_glyphs.h"
#include "morvexa/byte_string.h"

namespace morvexa {

namespace {

// What a conversion knows of its colors: the table, and the symbol worked
// out for each palette index so far (0: not yet).
struct Symbols {
  ColorTable table;
  std::vector<unsigned char> ofIndex;
};

// The color of pixel x of a row of step-byte pixels whose color is the low
// 24 bits of the little-endian word they start.
inline Rgb ColorAt(const unsigned char* row, std::size_t x, std::size_t step) {
  std::uint32_t word;
  std::memcpy(&word, row + x * step, 4);
  return word & 0xFFFFFF;
}

// Maps rows of pixels to symbols with what is known so far. Speculative
// mapping (Mutable false) meets a color the table lacks while it could
// still number it and gives up: the row must then wait its turn.
template <bool Mutable>
class RowMapper {
 public:
  using Known = std::conditional_t<Mutable, Symbols, const Symbols>;

  RowMapper(Known& known, const std::vector<Rgb>& palette, CharList* list)
      : known_(known), palette_(palette), list_(list) {}

  // False when a speculative mapping gave up.
  bool Map(PixelForm form, const unsigned char* row, std::size_t width, char* out) {
    switch (form) {
      case PixelForm::Bgr24: return MapColors(row, width, out, 3);
      case PixelForm::Bgrx32:
      case PixelForm::Rgb32: return MapColors(row, width, out, 4);
      case PixelForm::Index8: return MapIndices<std::uint8_t>(row, width, out);
      case PixelForm::Index16: return MapIndices<std::uint16_t>(row, width, out);
    }
    return false;
  }

 private:
  // The one-byte symbol of color c: its symbol in the table, or, for a new
  // color, the symbol of the next number, which is then added to the
  // symbol list with AddIfAbsent. 0 when a speculative mapping gives up.
  unsigned char ColorToChar(Rgb c) {
    if (const unsigned char symbol = known_.table.Find(c)) return symbol;
    // From number 95 on the symbol is "!", listed by number 1.
    if (known_.table.Full()) return '!';
    if constexpr (!Mutable) {
      return 0;
    } else {
      const unsigned char symbol = known_.table.Add(c);
      const char entry = static_cast<char>(symbol);
      list_->AddIfAbsent(ByteStringView(&entry, 1));
      return symbol;
    }
  }

  bool MapColors(const unsigned char* row, std::size_t width, char* out, std::size_t step) {
    // Neighboring pixels often share a color: the last one is kept at hand.
    Rgb last = kNoColor;
    char lastSymbol = 0;
    std::size_t x = 0;
    for (; x < width && !known_.table.Full(); ++x) {
      const Rgb c = ColorAt(row, x, step);
      if (c != last) {
        const unsigned char symbol = ColorToChar(c);
        if (symbol == 0) return false;
        last = c;
        lastSymbol = static_cast<char>(symbol);
      }
      out[x] = lastSymbol;
    }
    // With 95 colors numbered, a pixel's symbol depends on its color alone:
    // eight at a time, and "!" for all eight when the table's filter rules
    // out every one of them.
    const ColorTable& table = known_.table;
    for (; x + 8 <= width; x += 8) {
      bool any = false;
      for (std::size_t k = 0; k < 8; ++k) any |= table.MayHold(ColorAt(row, x + k, step));  // no early exit: no branch
      if (!any) {
        std::memset(out + x, '!', 8);
        continue;
      }
      for (std::size_t k = 0; k < 8; ++k) out[x + k] = SymbolOnceFull(ColorAt(row, x + k, step));
    }
    for (; x < width; ++x) out[x] = SymbolOnceFull(ColorAt(row, x, step));
    return true;
  }

  char SymbolOnceFull(Rgb c) const {
    const unsigned char symbol = known_.table.MayHold(c) ? known_.table.Look(c) : 0;
    return static_cast<char>(symbol != 0 ? symbol : '!');
  }

  // Palette indices: each index's symbol is worked out at its first pixel.
  template <typename Index>
  bool MapIndices(const unsigned char* row, std::size_t width, char* out) {
    for (std::size_t x = 0; x < width; ++x) {
      Index index;
      std::memcpy(&index, row + x * sizeof(Index), sizeof(Index));
      unsigned char symbol = known_.ofIndex[index];
      if (symbol == 0) {
        symbol = ColorToChar(palette_[index] & 0xFFFFFF);
        if (symbol == 0) return false;
        if constexpr (Mutable) known_.ofIndex[index] = symbol;
      }
      out[x] = static_cast<char>(symbol);
    }
    return true;
  }

  Known& known_;
  const std::vector<Rgb>& palette_;
  CharList* list_;
};

template <typename Mapper>
bool MapRows(Mapper& mapper, Band& band, std::size_t width) {
  const std::size_t stride = width + kLineBreak.size();
  band.art.resize(band.count * stride);
  for (std::size_t i = 0; i < band.count; ++i) {
    char* line = band.art.data() + i * stride;
    if (!mapper.Map(band.rows.form, band.rows.rows[i], width, line)) return false;
    std::memcpy(line + width, kLineBreak.data(), kLineBreak.size());
  }
  return true;
}

// The symbols of a picture's bands, and their lines written to the sink
// with the colors it takes: the cells' own (given, or their pixels'), or
// the colors they show (their pixels', which for reduced colors are the
// reduced ones).
class SymbolMapping final : public BandMapping {
 public:
  SymbolMapping(const PictureReader& picture, CharList& list, ArtSink& sink, PixelRows* given, bool fill)
      : palette_(picture.Palette()),
        width_(picture.Width()),
        mapper_(known_, palette_, &list),
        sink_(sink),
        given_(given),
        fill_(fill) {
    known_.ofIndex.assign(palette_.size(), 0);
    Publish();
  }

  std::function<bool(Band&)> Ahead() const override {
    return [known = published_, &palette = palette_, width = width_](Band& band) {
      RowMapper<false> mapper(*known, palette, nullptr);
      return MapRows(mapper, band, width);
    };
  }

  void MapInTurn(Band& band) override {
    (void)MapRows(mapper_, band, width_);
    band.mapped = true;
  }

  void Publish() override { published_ = std::make_shared<const Symbols>(known_); }

  void Write(const Band& band) override {
    const ByteStringView art(band.art.data(), band.art.size());
    const CellColors wanted = sink_.Colors();
    if (wanted == CellColors::None) {
      sink_.WriteLines(y_, band.count, art);
    } else {
      const std::size_t stride = width_ + kLineBreak.size();
      colors_.resize(band.art.size());
      for (std::size_t i = 0; i < band.count; ++i) {
        Rgb* row = colors_.data() + i * stride;
        if (given_ && wanted == CellColors::Own) {
          std::copy_n(given_->Row(y_ + i), width_, row);
        } else {
          RowColors(band.rows.form, band.rows.rows[i], width_, palette_, row);
        }
      }
      if (fill_ && wanted == CellColors::Own) {
        // The cells' own colors are their paper.
        const auto& shareOf = SymbolGlyphs::Get().shareOf;
        inks_.resize(colors_.size());
        for (std::size_t i = 0; i < colors_.size(); ++i) {
          const InkAndPaper cell = FillCell(colors_[i], shareOf[static_cast<unsigned char>(art[i])]);
          inks_[i] = cell.ink;
          colors_[i] = cell.paper;
        }
        sink_.WriteColoredLines(y_, band.count, art, {inks_, colors_});
      } else {
        sink_.WriteColoredLines(y_, band.count, art, colors_);
      }
    }
    y_ += band.count;
  }

 private:
  const std::vector<Rgb>& palette_;
  const std::size_t width_;
  Symbols known_;
  RowMapper<true> mapper_;
  std::shared_ptr<const Symbols> published_;
  ArtSink& sink_;
  PixelRows* given_;
  const bool fill_;
  std::vector<Rgb> colors_, inks_;
  std::size_t y_ = 0;
};

}  // namespace

void PictureToAsc(PictureReader& picture, CharList& list, ArtSink& sink, PixelRows* cellColors, bool fill) {
  sink.Clear();
  list.Clear();
  SymbolMapping mapping(picture, list, sink, cellColors, fill);
  RunBandPipeline(picture, mapping);
}

}  // namespace morvexa
