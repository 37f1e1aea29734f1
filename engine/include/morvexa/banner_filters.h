#pragma once

// Filters of a banner's lines, as TOIlet offers them: applied in order to
// its characters, and colors given to them, which the forms that show
// colors show.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "morvexa/color.h"

namespace morvexa {

// A banner's lines and the color of each character (kNoColor: the form's
// own).
struct ColoredLines {
  std::vector<std::u32string> lines;
  std::vector<std::vector<Rgb>> colors;

  // Lines of characters in no color.
  static ColoredLines Plain(std::vector<std::u32string> lines);
};

// The filters, by the names --filter takes: "crop" (blank margins taken
// off), "flip" (mirrored left to right), "flop" (upside down), "180"
// (turned half round), "left" and "right" (turned a quarter round, each two
// columns a cell, as a text cell is twice as tall as wide), "border" (a box
// around), "rainbow" (each character a color of the rainbow, in bands
// across; "gay" as TOIlet calls it) and "metal" (shades of blue and gray).
// Characters with a mirror or a turned form take it (( and ), / and \,
// ▀ and ▄ ...). names is NAME[:NAME]...; the filter not known, when one is
// not, and else nothing.
std::optional<std::string> UnknownFilter(std::string_view names);
// The filters' names, as --filter lists them.
std::string FilterNames();
ColoredLines Filtered(ColoredLines banner, std::string_view names);

}  // namespace morvexa
