#include "picture_to_asc.h"

#include <memory>

#include "byte_string.h"

namespace morvexa {

namespace {
constexpr Rgb kNoColour = 0xFF000000;  // above every 24-bit colour
}  // namespace

unsigned char AddColour(Rgb c, ColorTable& table, CharList& list) {
  const bool listed = table.Size() >= 95;  // from number 95 on the symbol is "!", listed by number 1
  const unsigned char symbol = table.Add(c);
  if (!listed) {
    const char entry = static_cast<char>(symbol);
    list.AddIfAbsent(ByteStringView(&entry, 1));
  }
  return symbol;
}

void PictureToAsc(const PixelImage& image, CharList& list, ArtArea& area) {
  area.Clear();
  list.Clear();
  ColorTable table;
  const auto line = std::make_unique_for_overwrite<char[]>(image.width);
  for (std::size_t y = 0; y < image.height; ++y) {
    const Rgb* row = image.Row(y);
    // Neighbouring pixels often share a colour: the last one is kept at hand.
    Rgb last = kNoColour;
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
