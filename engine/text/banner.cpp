#include "text/banner.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "morvexa/failure.h"
#include "text/font_glyph_source.h"

namespace morvexa {

namespace {

// A character of the text with its glyph.
struct Item {
  GlyphImage glyph;
  std::size_t index = 0;  // in the text
};

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

// A row of text: its characters with their glyphs, and where it starts in
// the text.
struct TextRow {
  std::vector<Item> items;
  std::size_t start = 0;
};

// Finds the glyph of every character, splitting the text into its rows.
std::vector<TextRow> FindGlyphs(std::u32string_view text, GlyphSource& glyphs) {
  std::vector<TextRow> rows;
  if (text.empty()) return rows;
  rows.emplace_back();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') continue;
    if (c == U'\n') {
      if (i + 1 < text.size()) rows.push_back({{}, i + 1});
      continue;
    }
    const auto glyph = glyphs.Find(c);
    if (!glyph) throw Failure(FailureKind::StreamReadError);
    rows.back().items.push_back({*glyph, i});
  }
  return rows;
}

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

// The pixels of a row of banner, one bit each, eight to a byte from the
// most significant bit.
class Canvas {
 public:
  Canvas(int width, int height)
      : width_(width),
        height_(height),
        pitch_(static_cast<std::size_t>(width + 7) / 8 + 1),
        bits_(pitch_ * static_cast<std::size_t>(height)) {}

  // ORs the glyph in with its first column at x; rows above or below the
  // canvas are left out.
  void Draw(const GlyphImage& glyph, int x) {
    const std::size_t bytes = static_cast<std::size_t>(glyph.width + 7) / 8;
    const unsigned shift = static_cast<unsigned>(x) % 8;
    const int first = std::max(0, -glyph.top), end = std::min(glyph.height, height_ - glyph.top);
    if (first >= end) return;
    const unsigned char* from = glyph.bits + static_cast<std::size_t>(first) * glyph.pitch;
    unsigned char* to = Row(glyph.top + first) + static_cast<std::size_t>(x) / 8;
    for (int y = first; y < end; ++y, from += glyph.pitch, to += pitch_) {
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

  const unsigned char* Row(int y) const { return bits_.data() + static_cast<std::size_t>(y) * pitch_; }
  unsigned char* Row(int y) { return bits_.data() + static_cast<std::size_t>(y) * pitch_; }
  static bool Inked(const unsigned char* row, int x) { return (row[x / 8] & (0x80u >> (x % 8))) != 0; }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  int width_, height_;
  std::size_t pitch_;
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

class BannerDrawer {
 public:
  BannerDrawer(std::u32string_view text, const TextSymbols& symbols, const BannerOptions& options, int lineHeight,
               ArtSink& area)
      : text_(text),
        symbols_(symbols),
        options_(options),
        scale_(std::clamp(options.scale, 1, BannerOptions::kLargestScale)),
        repeat_(scale_ * (options.square ? 2 : 1)),
        lineHeight_(lineHeight),
        area_(area) {
    if (!symbols.selfCharacter && area.Colors() == CellColors::None && !symbols.ink.empty() &&
        symbols.ink.size() == symbols.blank.size()) {
      expansion_.emplace(symbols.ink, symbols.blank, repeat_);
    }
  }

  std::size_t ColumnsPerPixel() const { return symbols_.PixelColumns() * static_cast<std::size_t>(repeat_); }

  // Draws a row of banner of the items, which start at start in the text.
  BannerRow Draw(std::span<const Item> items, std::size_t start) {
    BannerRow row{line_, static_cast<std::size_t>(lineHeight_ * scale_), start,
                  items.empty() ? 0 : items.back().index + 1 - start};
    Extent extent;
    for (const Item& item : items) extent.Add(item.glyph);
    if (expansion_ && InCells(items)) {
      DrawCells(items, extent.Width());
      return row;
    }
    Canvas canvas(extent.Width(), lineHeight_);
    const int origin = -extent.Left();
    std::vector<int> pens;
    int pen = origin;
    for (const Item& item : items) {
      pens.push_back(pen);
      if (item.glyph.width > 0) canvas.Draw(item.glyph, pen + item.glyph.left);
      pen += item.glyph.advance;
    }
    if (expansion_) {
      DrawQuickly(canvas);
    } else {
      DrawPixels(canvas, items, pens);
    }
    return row;
  }

 private:
  // Whether every glyph fills its advance on the line's rows exactly, in
  // whole bytes (the built-in font's, marks aside), or is invisible.
  bool InCells(std::span<const Item> items) const {
    return std::ranges::all_of(items, [this](const Item& item) {
      const GlyphImage& g = item.glyph;
      if (g.width == 0) return g.advance == 0;
      return g.left == 0 && g.top == 0 && g.height == lineHeight_ && g.advance == g.width && g.width % 8 == 0 &&
             g.pitch == static_cast<std::size_t>(g.width / 8);
    });
  }

  // Glyphs in cells, symbols of one width the same for every character, no
  // colors: eight pixels at a time straight from the glyphs.
  void DrawCells(std::span<const Item> items, int width) {
    lineBytes_.assign(static_cast<std::size_t>(width) * expansion_->Unit(), '\0');
    expansion_->WithDrawer([&](const auto& draw) {
      for (int y = 0; y < lineHeight_; ++y) {
        char* out = lineBytes_.data();
        for (const Item& item : items) {
          const unsigned char* bits = item.glyph.bits + static_cast<std::size_t>(y) * item.glyph.pitch;
          for (std::size_t i = 0; i < item.glyph.pitch; ++i) out = draw(out, bits[i]);
        }
        WriteScaled();
      }
    });
  }

  // The same from a canvas.
  void DrawQuickly(const Canvas& canvas) {
    lineBytes_.assign(static_cast<std::size_t>(canvas.Width()) * expansion_->Unit(), '\0');
    const std::size_t whole = static_cast<std::size_t>(canvas.Width()) / 8;
    const std::size_t rest = static_cast<std::size_t>(canvas.Width()) % 8;
    expansion_->WithDrawer([&](const auto& draw) {
      for (int y = 0; y < canvas.Height(); ++y) {
        const unsigned char* bits = canvas.Row(y);
        char* out = lineBytes_.data();
        for (std::size_t i = 0; i < whole; ++i) out = draw(out, bits[i]);
        if (rest != 0) draw(out, bits[whole], rest);
        WriteScaled();
      }
    });
  }

  // Writes the line scale times.
  void WriteScaled() {
    for (int s = 0; s < scale_; ++s) area_.WriteLine(line_++, lineBytes_);
  }

  // Pixel by pixel: the self character, colors, symbols of other widths.
  void DrawPixels(const Canvas& canvas, std::span<const Item> items, const std::vector<int>& pens) {
    std::vector<ByteString> inks;
    std::vector<std::size_t> owners;
    if (symbols_.selfCharacter) {
      for (const Item& item : items) inks.push_back(symbols_.Self(text_[item.index]));
      owners = Owners(canvas.Width(), items, pens);
    }
    const bool colored = area_.Colors() != CellColors::None;
    std::vector<Rgb> colors;
    for (int y = 0; y < canvas.Height(); ++y) {
      lineBytes_.clear();
      colors.clear();
      const unsigned char* bits = canvas.Row(y);
      for (int x = 0; x < canvas.Width(); ++x) {
        const bool inked = Canvas::Inked(bits, x);
        const ByteString& symbol = !inked                   ? symbols_.blank
                                   : symbols_.selfCharacter ? inks[owners[static_cast<std::size_t>(x)]]
                                                            : symbols_.ink;
        for (int r = 0; r < repeat_; ++r) lineBytes_ += symbol;
        if (colored) {
          colors.insert(colors.end(), symbol.size() * static_cast<std::size_t>(repeat_),
                        inked ? options_.colors.ink : options_.colors.blank);
        }
      }
      for (int s = 0; s < scale_; ++s) {
        if (colored) {
          area_.WriteColoredLine(line_++, lineBytes_, colors);
        } else {
          area_.WriteLine(line_++, lineBytes_);
        }
      }
    }
  }

  // Which item each column belongs to: the one whose advance covers it;
  // before the first and after the last, the nearest.
  static std::vector<std::size_t> Owners(int width, std::span<const Item> items, const std::vector<int>& pens) {
    std::vector<std::size_t> owners(static_cast<std::size_t>(width), 0);
    std::size_t last = 0;
    bool any = false;
    for (std::size_t k = 0; k < items.size(); ++k) {
      if (items[k].glyph.advance <= 0) continue;
      if (!any) std::fill(owners.begin(), owners.begin() + pens[k], k);
      std::fill(owners.begin() + pens[k], owners.begin() + pens[k] + items[k].glyph.advance, k);
      last = k;
      any = true;
    }
    if (any) std::fill(owners.begin() + pens[last] + items[last].glyph.advance, owners.end(), last);
    return owners;
  }

  std::u32string_view text_;
  const TextSymbols& symbols_;
  const BannerOptions& options_;
  int scale_;
  int repeat_;  // symbols a pixel takes across
  int lineHeight_;
  ArtSink& area_;
  std::optional<Expansion> expansion_;
  ByteString lineBytes_;
  std::size_t line_ = 0;
};

}  // namespace

std::vector<BannerRow> DrawBanner(std::u32string_view text, GlyphSource& glyphs, const TextSymbols& symbols,
                                  const BannerOptions& options, ArtSink& area) {
  area.Clear();
  const std::vector<TextRow> textRows = FindGlyphs(text, glyphs);
  BannerDrawer drawer(text, symbols, options, glyphs.LineHeight(), area);
  const std::size_t columns = drawer.ColumnsPerPixel();
  // A wrap narrower than a pixel still puts one character on each row.
  const std::size_t wrapPixels =
      options.wrapColumns == 0 ? 0 : std::max<std::size_t>(1, options.wrapColumns / std::max<std::size_t>(columns, 1));
  std::vector<BannerRow> rows;
  for (const auto& textRow : textRows) {
    for (const auto part : Wrap(textRow.items, wrapPixels)) {
      rows.push_back(drawer.Draw(part, part.empty() ? textRow.start : part.front().index));
    }
  }
  return rows;
}

std::vector<BannerRow> DrawBanner(std::u32string_view text, const TextSymbols& symbols, const BannerOptions& options,
                                  ArtSink& sink) {
  if (!options.font) {
    BuiltInGlyphs glyphs;
    return DrawBanner(text, glyphs, symbols, options, sink);
  }
  FontGlyphSource glyphs = FontGlyphSource::Open(*options.font, options.size);
  return DrawBanner(text, glyphs, symbols, options, sink);
}

}  // namespace morvexa
