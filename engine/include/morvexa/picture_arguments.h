#pragma once

// What the picture options both programs take ask for, and the readers of
// the values of options (see option_table.h, the options themselves).
#include <optional>
#include <string>
#include <string_view>

#include "morvexa/color.h"
#include "morvexa/picture_options.h"
#include "morvexa/way_of_drawing.h"

namespace morvexa {

// What the picture options ask for, before the way of drawing is checked.
struct PictureRequest {
  PictureOptions options;  // its size; its way is chosen from drawing
  DrawingRequest drawing;
  Rgb background = 0xFFFFFF;  // --background
  std::size_t frame = 0;      // --frame: of an animation, counted from 1; 0: not given
};

// Whether an option takes a value: one it needs (joined with "=" or as
// the next word), an optional one (joined with "=" only), or none.
enum class ValueTaken { None, Needed, Optional };

// The whole of text as a whole number from least to most, read the same in
// every locale; nothing otherwise.
std::optional<std::size_t> WholeNumber(std::string_view text, std::size_t least, std::size_t most);

// The whole of text as a number from least to most, read the same in every
// locale; nothing otherwise.
std::optional<double> Number(std::string_view text, double least, double most);

// A value in a message: in double quotes, with what would upset a terminal
// escaped.
std::string QuotedValue(std::string_view value);

// A color as command lines take it: #RRGGBB, RRGGBB, #RGB, or one of the
// names black, white, red, green, blue, yellow, cyan, magenta, gray.
std::optional<Rgb> ParseColor(std::string_view text);

}  // namespace morvexa
