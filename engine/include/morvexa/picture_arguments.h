#pragma once

// The picture options both programs take on their command lines, read by
// the same code: each option's name, what its value may be (stated once,
// for the check and for the message alike) and where it goes.
#include <optional>
#include <span>
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

// A picture option: its long name, whether its value is needed, optional
// (joined with "=") or none, what kind of value it takes, and for numbers
// their range, from which both the check and the message are made.
enum class ValueTaken { None, Needed, Optional };
enum class ValueKind { Flag, Whole, Number, Ramp, Color, Blocks };
struct PictureOption {
  std::string_view name;
  ValueTaken value;
  ValueKind kind;
  double least = 0, most = 0;  // Whole and Number
  bool forTheWindow = true;    // whether the window takes it too
};
std::span<const PictureOption> PictureOptionList();
// What an option's value may be, as messages say it: "a whole number from
// 2 to 95".
std::string AllowedValue(const PictureOption& option);

// Reads one picture option into request: value is nothing when none was
// given. Empty when it was taken; otherwise what is wrong, as in
// "--width: "abc" is not a whole number from 0 to 1048576" (the option
// named as given, in shown).
std::string TakePictureOption(const PictureOption& option, std::string_view shown,
                              std::optional<std::string_view> value, PictureRequest& request);

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
