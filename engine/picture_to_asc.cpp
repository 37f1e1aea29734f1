#include "picture_to_asc.h"

#include <memory>

#include "byte_string.h"
#include "color_table.h"

namespace morvexa {

namespace {

constexpr Rgb kNoColor = 0xFF000000;  // above every 24-bit color

// Numbers a color the table has not met, lists its symbol unless its number
// is past 94 ("!" is listed by then), and returns the symbol.
unsigned char AddColor(Rgb c, ColorTable& table, CharList& list) {
  const bool listed = table.Size() >= 95;  // from number 95 on the symbol is "!", listed by number 1
  const unsigned char symbol = table.Add(c);
  if (!listed) {
    const char entry = static_cast<char>(symbol);
    list.AddIfAbsent(ByteStringView(&entry, 1));
  }
  return symbol;
}

// The one-byte symbol of color c: its symbol in the table, or, for a new
// color, the symbol of the next number, which is then added to the symbol
// list with AddIfAbsent.
unsigned char ColorToChar(Rgb c, ColorTable& table, CharList& list) {
  if (const unsigned char symbol = table.Find(c)) return symbol;
  return AddColor(c, table, list);
}

}  // namespace

void PictureToAsc(const PixelImage& image, CharList& list, ArtArea& area) {
  area.Clear();
  list.Clear();
  ColorTable table;
  const auto line = std::make_unique_for_overwrite<char[]>(image.width);
  for (std::size_t y = 0; y < image.height; ++y) {
    const Rgb* row = image.Row(y);
    // Neighbouring pixels often share a color: the last one is kept at hand.
    Rgb last = kNoColor;
    char lastSymbol = 0;
    for (std::size_t x = 0; x < image.width; ++x) {
      const Rgb c = row[x] & 0xFFFFFF;
      if (c != last) {
        last = c;
        lastSymbol = static_cast<char>(ColorToChar(c, table, list));
      }
      line[x] = lastSymbol;
    }
    area.WriteLine(y, ByteStringView(line.get(), image.width));
  }
}

}  // namespace morvexa
