#include "brightness_ramp.h"

#include <array>
#include <vector>

namespace morvexa {

void RampToAsc(PictureReader& picture, ByteStringView ramp, bool invert, CharList& list, ArtArea& area) {
  area.Clear();
  list.Clear();
  if (ramp.empty()) return;
  // The symbol of each brightness, and whether it is listed yet.
  std::array<char, 256> symbolOf{};
  for (unsigned y = 0; y < 256; ++y) symbolOf[y] = ramp[RampIndex(y, ramp.size(), invert)];
  std::array<bool, 256> met{};
  const std::size_t width = picture.Width();
  std::vector<Rgb> colors(width);
  ByteString line(width, ' ');
  RowBand band;
  std::size_t y = 0;
  while (picture.ReadRows(picture.RowsPerBand(), band) > 0) {
    for (const unsigned char* row : band.rows) {
      RowColors(band.form, row, width, picture.Palette(), colors.data());
      for (std::size_t x = 0; x < width; ++x) {
        const char symbol = symbolOf[Brightness(colors[x])];
        line[x] = symbol;
        if (!met[static_cast<unsigned char>(symbol)]) {
          met[static_cast<unsigned char>(symbol)] = true;
          list.AddIfAbsent(ByteStringView(&symbol, 1));
        }
      }
      if (area.KeepsColors()) {
        area.WriteColoredLine(y++, line, colors);
      } else {
        area.WriteLine(y++, line);
      }
    }
  }
}

}  // namespace morvexa
