#include "text/banner.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "morvexa/art_size.h"
#include "morvexa/failure.h"
#include "text/font_glyph_source.h"

namespace morvexa {

namespace {

using Item = BannerItem;

// The columns a row of glyphs covers, from its first pen position: its ink
// may reach before it or past the last pen position.
class Extent {
 public:
  void Add(const GlyphImage& glyph) {
    if (glyph.width > 0) {
      left_ = std::min(left_, pen_ + glyph.left);
      right_ = std::max(right_, pen_ + glyph.left + glyph.width);
    }
    pen_ += glyph.advance;
    right_ = std::max(right_, pen_);
  }
  int Left() const { return left_; }
  int Width() const { return right_ - left_; }

 private:
  int pen_ = 0, left_ = 0, right_ = 0;
};

// Breaks a row of text into rows of banner at most wrapPixels wide, between
// characters that move the pen; each row of banner holds at least one.
std::vector<std::span<const Item>> Wrap(std::span<const Item> row, std::size_t wrapPixels) {
  std::vector<std::span<const Item>> out;
  std::size_t start = 0;
  Extent extent;
  for (std::size_t k = 0; k < row.size(); ++k) {
    if (wrapPixels != 0 && k > start && row[k].glyph.advance > 0) {
      Extent wider = extent;
      wider.Add(row[k].glyph);
      if (static_cast<std::size_t>(wider.Width()) > wrapPixels) {
        out.push_back(row.subspan(start, k - start));
        start = k;
        extent = Extent();
      }
    }
    extent.Add(row[k].glyph);
  }
  out.push_back(row.subspan(start));
  return out;
}

// The bits of one line of a row of banner: each glyph's row at that line
// ORed in where its pen puts it; eight pixels to a byte from the most
// significant bit.
class LineBits {
 public:
  // A line width pixels wide.
  void Resize(int width) {
    width_ = width;
    bits_.resize(static_cast<std::size_t>(width + 7) / 8 + 1);
  }

  // The line y of the glyphs, each with its first column at x.
  void Draw(std::span<const Item> items, const std::vector<int>& pens, int y, bool inCells) {
    if (inCells) {
      // Each glyph fills its advance on every line, in whole bytes: its
      // row's bytes one after another.
      unsigned char* to = bits_.data();
      for (const Item& item : items) {
        const GlyphImage& glyph = item.glyph;
        if (glyph.width == 0) continue;
        // A byte or two: copied by hand, quicker than a call.
        const unsigned char* from = glyph.bits + static_cast<std::size_t>(y) * glyph.pitch;
        for (std::size_t i = 0; i < glyph.pitch; ++i) *to++ = from[i];
      }
      return;
    }
    std::fill(bits_.begin(), bits_.end(), static_cast<unsigned char>(0));
    for (std::size_t k = 0; k < items.size(); ++k) {
      const GlyphImage& glyph = items[k].glyph;
      const int row = y - glyph.top;
      if (glyph.width <= 0 || row < 0 || row >= glyph.height) continue;
      const int x = pens[k] + glyph.left;
      const std::size_t bytes = static_cast<std::size_t>(glyph.width + 7) / 8;
      const unsigned shift = static_cast<unsigned>(x) % 8;
      const unsigned char* from = glyph.bits + static_cast<std::size_t>(row) * glyph.pitch;
      unsigned char* to = bits_.data() + static_cast<std::size_t>(x) / 8;
      if (shift == 0) {
        // The built-in font's glyphs: whole bytes.
        for (std::size_t i = 0; i < bytes; ++i) to[i] |= from[i];
      } else {
        for (std::size_t i = 0; i < bytes; ++i) {
          to[i] |= static_cast<unsigned char>(from[i] >> shift);
          to[i + 1] |= static_cast<unsigned char>(from[i] << (8 - shift));
        }
      }
    }
  }

  const unsigned char* Bits() const { return bits_.data(); }
  bool Inked(int x) const { return (bits_[static_cast<std::size_t>(x) / 8] & (0x80u >> (x % 8))) != 0; }
  int Width() const { return width_; }

 private:
  int width_ = 0;
  std::vector<unsigned char> bits_;
};

// The bytes that eight pixels draw, for all 256 values of a canvas byte,
// when every pixel takes unit bytes: ink or blank, repeated.
class Expansion {
 public:
  Expansion(ByteStringView ink, ByteStringView blank, int repeat)
      : unit_(ink.size() * static_cast<std::size_t>(repeat)), table_(256 * 8 * unit_) {
    ByteString inkPixel, blankPixel;
    for (int i = 0; i < repeat; ++i) inkPixel += ink, blankPixel += blank;
    for (unsigned value = 0; value < 256; ++value) {
      for (unsigned pixel = 0; pixel < 8; ++pixel) {
        const ByteString& symbol = (value << pixel & 0x80) != 0 ? inkPixel : blankPixel;
        std::memcpy(&table_[(value * 8 + pixel) * unit_], symbol.data(), unit_);
      }
    }
  }

  std::size_t Unit() const { return unit_; }

  // Calls draw with a drawer of eight pixels (a byte) for this unit, whose
  // copies are of a fixed size for the usual units.
  template <typename F>
  void WithDrawer(F draw) const {
    switch (unit_) {
      case 1: return draw(Drawer<1>{table_.data()});
      case 2: return draw(Drawer<2>{table_.data()});
      case 4: return draw(Drawer<4>{table_.data()});
      default: return draw(Drawer<0>{table_.data(), unit_});
    }
  }

  // Draws the eight pixels of value at out (the first pixels of them only)
  // and returns the end of what it drew. kUnit 0: any unit.
  template <std::size_t kUnit>
  struct Drawer {
    const char* table;
    std::size_t unit = kUnit;

    char* operator()(char* out, unsigned char value) const {
      const std::size_t bytes = 8 * (kUnit != 0 ? kUnit : unit);
      std::memcpy(out, table + value * bytes, bytes);
      return out + bytes;
    }
    char* operator()(char* out, unsigned char value, std::size_t pixels) const {
      const std::size_t bytes = pixels * (kUnit != 0 ? kUnit : unit);
      std::memcpy(out, table + value * 8 * (kUnit != 0 ? kUnit : unit), bytes);
      return out + bytes;
    }
  };

 private:
  std::size_t unit_;
  std::vector<char> table_;
};

// Writes the lines of a banner into a sink, from their bits.
class LineWriter {
 public:
  LineWriter(std::u32string_view text, const TextSymbols& symbols, const BannerOptions& options, int repeat,
             ArtSink& sink, std::size_t partBytes)
      : text_(text), symbols_(symbols), options_(options), repeat_(repeat), sink_(sink), partBytes_(partBytes) {
    colored_ = sink.Colors() != CellColors::None;
    if (!symbols.selfCharacter && !colored_ && !symbols.ink.empty() && symbols.ink.size() == symbols.blank.size()) {
      expansion_.emplace(symbols.ink, symbols.blank, repeat);
    }
    // The most one pixel of self-character ink may take (GB18030's four
    // bytes, twice), or eight pixels of the expansion.
    mostAPixel_ = std::max<std::size_t>({8 * static_cast<std::size_t>(repeat) * symbols.blank.size(),
                                         8 * static_cast<std::size_t>(repeat) * symbols.ink.size(),
                                         8 * static_cast<std::size_t>(repeat)});
  }

  // Writes the line of bits times times, as lines line, line + 1, ...; the
  // items and their pens are those of the row the bits were drawn from.
  void Write(const LineBits& bits, std::span<const Item> items, const std::vector<int>& pens, int times,
             std::size_t& line) {
    bool whole = true;
    for (int n = 0; n < times; ++n) {
      if (n == 0 || !whole) whole = Make(bits, items, pens);
      if (whole) {
        // The line in one part: written as it is, again for each time.
        const ByteStringView bytes(buffer_.get(), used_);
        if (colored_) {
          sink_.WriteColoredLine(line++, bytes, ink_);
        } else {
          sink_.WriteLine(line++, bytes);
        }
      } else {
        sink_.EndLine(line++);
      }
    }
  }

 private:
  // Room for at least bytes in the buffer, keeping what it holds.
  void Reserve(std::size_t bytes) {
    if (bytes <= capacity_) return;
    const std::size_t capacity = std::max(bytes, 2 * capacity_);
    auto grown = std::make_unique_for_overwrite<char[]>(capacity);
    if (used_ > 0) std::memcpy(grown.get(), buffer_.get(), used_);
    buffer_ = std::move(grown);
    capacity_ = capacity;
  }

  // Makes the line's bytes (and colors); true when they are all in the
  // buffer, false when they went to the sink in parts, the last one too.
  bool Make(const LineBits& bits, std::span<const Item> items, const std::vector<int>& pens) {
    bool parted = false;
    used_ = 0;
    ink_.clear();
    const std::size_t room = partBytes_ + mostAPixel_;
    // Hands the part made so far to the sink once it is a part's size (or
    // at the end, when the line went in parts).
    auto handOver = [&](bool last) {
      if (!last && used_ < partBytes_) return;
      sink_.WriteLinePart({buffer_.get(), used_}, colored_ ? LineColors(ink_) : LineColors());
      used_ = 0;
      ink_.clear();
      parted = true;
    };
    const int width = bits.Width();
    if (expansion_) {
      const std::size_t whole = static_cast<std::size_t>(width) / 8, rest = static_cast<std::size_t>(width) % 8;
      Reserve(std::min(room, (whole + 1) * mostAPixel_));
      expansion_->WithDrawer([&](const auto& draw) {
        for (std::size_t i = 0; i < whole;) {
          handOver(false);
          // As many bytes of bits as fill the part.
          const std::size_t end =
              std::min(whole, i + (partBytes_ - std::min(used_, partBytes_)) / (8 * expansion_->Unit()) + 1);
          char* out = buffer_.get() + used_;
          for (; i < end; ++i) out = draw(out, bits.Bits()[i]);
          used_ = static_cast<std::size_t>(out - buffer_.get());
        }
        if (rest != 0) {
          handOver(false);
          used_ = static_cast<std::size_t>(draw(buffer_.get() + used_, bits.Bits()[whole], rest) - buffer_.get());
        }
      });
    } else {
      // Pixel by pixel: the self character, colors, symbols of other widths.
      // The character a column belongs to: the one whose advance covers it;
      // before the first and after the last, the nearest.
      std::size_t owner = 0, next = NextSpacing(items, 0);
      if (next < items.size()) owner = next, next = NextSpacing(items, next + 1);
      for (int x = 0; x < width; ++x) {
        while (next < items.size() && pens[next] <= x) owner = next, next = NextSpacing(items, next + 1);
        handOver(false);
        const bool inked = bits.Inked(x);
        if (inked && symbols_.selfCharacter && owner != selfOwner_) {
          selfOwner_ = owner;
          self_ = symbols_.Self(text_[items[owner].index]);
        }
        const ByteString& symbol = !inked ? symbols_.blank : symbols_.selfCharacter ? self_ : symbols_.ink;
        Reserve(used_ + symbol.size() * static_cast<std::size_t>(repeat_));
        for (int r = 0; r < repeat_ && !symbol.empty(); ++r) {
          std::memcpy(buffer_.get() + used_, symbol.data(), symbol.size());
          used_ += symbol.size();
        }
        if (colored_) {
          ink_.insert(ink_.end(), symbol.size() * static_cast<std::size_t>(repeat_),
                      inked ? options_.colors.ink : options_.colors.blank);
        }
      }
      selfOwner_ = ~std::size_t{0};
    }
    if (!parted) return true;
    handOver(true);
    return false;
  }

  // The first item from k on that moves the pen.
  static std::size_t NextSpacing(std::span<const Item> items, std::size_t k) {
    while (k < items.size() && items[k].glyph.advance <= 0) ++k;
    return k;
  }

  std::u32string_view text_;
  const TextSymbols& symbols_;
  const BannerOptions& options_;
  int repeat_;  // symbols a pixel takes across
  ArtSink& sink_;
  std::size_t partBytes_;
  std::size_t mostAPixel_ = 0;
  bool colored_ = false;
  std::optional<Expansion> expansion_;
  // The line, or its part at hand: used_ bytes of capacity_.
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0, capacity_ = 0;
  std::vector<Rgb> ink_;
  ByteString self_;  // the ink of the character selfOwner_
  std::size_t selfOwner_ = ~std::size_t{0};
};

}  // namespace

BannerLayout::BannerLayout(std::u32string_view text, GlyphSource& glyphs, const TextSymbols& symbols,
                           const BannerOptions& options)
    : text_(text),
      symbols_(symbols),
      options_(options),
      scale_(std::clamp(options.scale, 1, BannerOptions::kLargestScale)),
      repeat_(scale_ * (options.square ? 2 : 1)),
      lineHeight_(glyphs.LineHeight()) {
  const std::uint64_t linesARow = static_cast<std::uint64_t>(lineHeight_) * static_cast<std::uint64_t>(scale_);
  const std::uint64_t symbolsAPixelColumn = linesARow * static_cast<std::uint64_t>(repeat_);
  // Every glyph is found, unless the art grows past what it may have on
  // the way: the glyphs' advances alone are then too many symbols.
  std::uint64_t advances = 0, rowAdvances = 0, widest = 0;
  if (!text.empty()) rows_.push_back({{}, 0});
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') continue;
    if (c == U'\n') {
      if (i + 1 < text.size()) rows_.push_back({{}, i + 1});
      rowAdvances = 0;
      continue;
    }
    const auto glyph = glyphs.Find(c);
    if (!glyph) {
      FailureCause cause;
      cause.missingGlyph = c;
      cause.font = glyphs.Name();
      throw Failure(FailureKind::StreamReadError, {}, std::move(cause));
    }
    rows_.back().items.push_back({*glyph, i});
    const auto advance = static_cast<std::uint64_t>(std::max(glyph->advance, 0));
    advances += advance, rowAdvances += advance;
    widest = std::max(widest, rowAdvances);
    if (advances * symbolsAPixelColumn > kMostArtSymbols) {
      tooLarge_ = true;
      symbols_count_ = advances * symbolsAPixelColumn;
      size_ = {static_cast<std::size_t>(widest) * static_cast<std::size_t>(repeat_) * symbols.PixelColumns(),
               rows_.size() * static_cast<std::size_t>(linesARow)};
      return;
    }
  }
  // A wrap narrower than a pixel still puts one character on each row.
  const std::size_t columns = symbols.PixelColumns() * static_cast<std::size_t>(repeat_);
  const std::size_t wrapPixels =
      options.wrapColumns == 0 ? 0 : std::max<std::size_t>(1, options.wrapColumns / std::max<std::size_t>(columns, 1));
  for (const TextRow& row : rows_) {
    for (const std::span<const Item> part : Wrap(row.items, wrapPixels)) {
      Extent extent;
      for (const Item& item : part) extent.Add(item.glyph);
      placed_.push_back({part, part.empty() ? row.start : part.front().index, extent.Width(), -extent.Left()});
      symbols_count_ += static_cast<std::uint64_t>(extent.Width()) * symbolsAPixelColumn;
      size_.columns = std::max(size_.columns, static_cast<std::size_t>(extent.Width()) * columns);
      size_.lines += static_cast<std::size_t>(linesARow);
    }
  }
  tooLarge_ = symbols_count_ > kMostArtSymbols;
}

std::vector<BannerRow> BannerLayout::Draw(ArtSink& sink, std::size_t partBytes) const {
  if (tooLarge_) throw ArtTooLarge(symbols_count_, size_, true);
  LineWriter writer(text_, symbols_, options_, repeat_, sink, partBytes);
  std::vector<BannerRow> rows;
  std::size_t line = 0;
  std::vector<int> pens;
  LineBits bits;
  for (const Placed& placed : placed_) {
    const std::span<const Item> items = placed.items;
    rows.push_back({line, static_cast<std::size_t>(lineHeight_ * scale_), placed.start,
                    items.empty() ? 0 : items.back().index + 1 - placed.start});
    pens.clear();
    int pen = placed.origin;
    for (const Item& item : items) {
      pens.push_back(pen);
      pen += item.glyph.advance;
    }
    bits.Resize(placed.width);
    // Whether every glyph fills its advance on the line's rows exactly, in
    // whole bytes (the built-in font's, marks aside), or is invisible.
    const bool inCells = std::ranges::all_of(items, [this](const Item& item) {
      const GlyphImage& g = item.glyph;
      if (g.width == 0) return g.advance == 0;
      return g.left == 0 && g.top == 0 && g.height == lineHeight_ && g.advance == g.width && g.width % 8 == 0 &&
             g.pitch == static_cast<std::size_t>(g.width / 8);
    });
    for (int y = 0; y < lineHeight_; ++y) {
      bits.Draw(items, pens, y, inCells);
      writer.Write(bits, items, pens, scale_, line);
    }
  }
  return rows;
}

std::vector<BannerRow> DrawBanner(std::u32string_view text, GlyphSource& glyphs, const TextSymbols& symbols,
                                  const BannerOptions& options, ArtSink& area) {
  area.Clear();
  return BannerLayout(text, glyphs, symbols, options).Draw(area);
}

struct Banner::Laid {
  std::optional<BuiltInGlyphs> builtIn;
  std::optional<FontGlyphSource> font;
  std::u32string text;
  TextSymbols symbols;
  BannerOptions options;
  std::optional<BannerLayout> layout;
};

Banner::Banner(std::u32string_view text, const TextSymbols& symbols, const BannerOptions& options)
    : laid_(std::make_unique<Laid>()) {
  laid_->text = text;
  laid_->symbols = symbols;
  laid_->options = options;
  GlyphSource* glyphs = nullptr;
  if (options.font) {
    glyphs = &laid_->font.emplace(FontGlyphSource::Open(*options.font, options.size));
  } else {
    glyphs = &laid_->builtIn.emplace();
  }
  laid_->layout.emplace(laid_->text, *glyphs, laid_->symbols, laid_->options);
}

Banner::~Banner() = default;

bool Banner::TooLarge() const { return laid_->layout->TooLarge(); }
std::uint64_t Banner::Symbols() const { return laid_->layout->Symbols(); }
ArtSize Banner::Size() const { return laid_->layout->Size(); }
std::vector<BannerRow> Banner::Draw(ArtSink& sink) const {
  sink.Clear();
  return laid_->layout->Draw(sink);
}

std::vector<BannerRow> DrawBanner(std::u32string_view text, const TextSymbols& symbols, const BannerOptions& options,
                                  ArtSink& sink) {
  sink.Clear();
  return Banner(text, symbols, options).Draw(sink);
}

}  // namespace morvexa
