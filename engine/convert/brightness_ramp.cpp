#include "convert/brightness_ramp.h"

#include "convert/ink_and_paper.h"
#include "convert/symbol_glyphs.h"

#include <algorithm>
#include <array>
#include <vector>

namespace morvexa {

void RampToAsc(PictureReader& picture, ByteStringView ramp, bool invert, const ToneLevels& levels, CharList& list,
               ArtSink& sink, bool fill, const SymbolGlyphs& glyphs) {
  sink.Clear();
  list.Clear();
  if (ramp.empty()) return;
  // The step of each brightness, and whether its symbol is listed yet.
  std::array<std::size_t, 256> stepOf{};
  for (unsigned y = 0; y < 256; ++y) {
    const auto step =
        static_cast<std::size_t>(levels.Ink(static_cast<float>(y), invert) * static_cast<float>(ramp.size()));
    stepOf[y] = std::min(step, ramp.size() - 1);
  }
  std::array<bool, 256> met{};
  const CellColors wanted = sink.Colors();
  const std::size_t width = picture.Width();
  std::vector<Rgb> colors(width), inks(fill ? width : 0);
  ByteString line(width, ' ');
  RowBand band;
  std::size_t y = 0;
  while (picture.ReadRows(picture.RowsPerBand(), band) > 0) {
    for (const unsigned char* row : band.rows) {
      RowColors(band.form, row, width, picture.Palette(), colors.data());
      for (std::size_t x = 0; x < width; ++x) {
        const std::size_t step = stepOf[Brightness(colors[x])];
        const char symbol = ramp[step];
        line[x] = symbol;
        if (wanted == CellColors::Look) colors[x] = RampShade(step, ramp.size());
        if (!met[static_cast<unsigned char>(symbol)]) {
          met[static_cast<unsigned char>(symbol)] = true;
          list.AddIfAbsent(ByteStringView(&symbol, 1));
        }
      }
      if (wanted == CellColors::None) {
        sink.WriteLine(y++, line);
      } else if (fill && wanted == CellColors::Own) {
        const auto& shareOf = glyphs.shareOf;
        for (std::size_t x = 0; x < width; ++x) {
          const InkAndPaper cell = FillCell(colors[x], shareOf[static_cast<unsigned char>(line[x])]);
          inks[x] = cell.ink;
          colors[x] = cell.paper;
        }
        sink.WriteColoredLine(y++, line, {inks, colors});
      } else {
        sink.WriteColoredLine(y++, line, colors);
      }
    }
  }
}

}  // namespace morvexa
