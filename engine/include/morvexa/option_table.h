#pragma once

// Every option of both programs, in one table: its name, the value it
// takes and what that may be, which program and command take it, its help,
// and where it goes in what the command line asks for. Both programs read
// their options through it, and their --help (and so their manual pages and
// the shell's completion, made from the help) is written from it.
//
// A new option is one entry in the table of option_table.cpp.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "morvexa/art_form.h"
#include "morvexa/color.h"
#include "morvexa/figlet.h"
#include "morvexa/picture_arguments.h"
#include "morvexa/terminal_palette.h"

namespace morvexa {

// --color=WHEN, as GNU tools take it.
enum class ColorWhen { Auto, Always, Never };

// What the options given ask for, every text as it arrived (in the
// locale's character set).
struct CommandOptions {
  // The picture options both programs take: the size, the way of drawing
  // asked for (unchecked), the background, the frame.
  PictureRequest picture;
  std::optional<std::string> artOutput;                           // -o FILE, "-" for standard output
  std::optional<std::string> symbolsOutput;                       // --symbols FILE, "-" for standard output
  std::vector<std::pair<std::string, std::string>> replacements;  // --replace OLD NEW, in order
  // The art's form (--format), when given, and when colors are shown.
  std::optional<ArtForm> form;
  ColorWhen color = ColorWhen::Auto;
  bool colorGiven = false;
  // --palette: the colors a terminal shows, when given.
  std::optional<TerminalColors> palette;
  // text: the symbols of ink and blank pixels; the colors of ink and blank
  // cells in the forms that show them, and whether either was given (else
  // a terminal shows its own).
  std::string fore = "$";
  std::string back = " ";
  Rgb inkColor = 0x000000;
  Rgb blankColor = 0xFFFFFF;
  bool textColorsGiven = false;
  // text: each pixel scale x scale symbols, or two symbols wide; an
  // installed font (a name or a file) at size pixels instead of the
  // built-in one.
  int scale = 1;
  bool square = false;
  std::optional<std::string> font;
  std::optional<int> size;
  // text: a FIGlet or TOIlet font to draw in, and how its banner is laid
  // out (the width from --width); --list-figlet.
  std::optional<std::string> figlet;
  FigletLayout figletLayout;
  std::optional<std::string> filter;  // --filter
  bool listFiglet = false;
  // picture: one symbol per pixel even on a terminal (--original); how many
  // times an animation is played through (--loops, 0: for ever) and for how
  // long at most (--duration, in seconds); a page that plays it
  // (--animate); the font the art will be read in (--glyphs-of).
  bool original = false;
  std::optional<std::size_t> loops;
  std::optional<double> duration;
  bool animate = false;
  std::optional<std::string> glyphsOf;
  bool help = false;
};

// Who takes an option: the command line's two commands, and the window.
enum OptionTaker : unsigned { kTextCommand = 1, kPictureCommand = 2, kWindow = 4 };

// The kinds of value an option takes, each read and checked in one place.
enum class ValueKind {
  Flag,    // none
  Whole,   // a whole number from least to most
  Number,  // a number from least to most
  Ramp,    // at least two printable ASCII symbols
  Color,   // #RRGGBB, #RGB or a name
  Choice,  // one of the words of choices
  Word,    // any word
  Name,    // any word but an empty one
  Pair,    // two words: the option's value and the word after it
};

// A word a Choice takes, and what it stands for.
struct OptionChoice {
  std::string_view word;
  int value;
};

// An option's value, read as its kind says.
struct OptionValue {
  std::string_view text;    // as given; of a Pair, the first word
  std::string_view second;  // of a Pair, the second word
  std::size_t whole = 0;
  double number = 0;
  Rgb color = 0;
  int choice = 0;
};

struct OptionEntry {
  std::string_view name;  // long, without its dashes
  char letter;            // its short form ('o' for -o), or 0
  ValueTaken value;
  ValueKind kind;
  double least, most;         // of a Whole or Number
  std::string_view argument;  // what the help calls its value: "N", "FILE"
  // What its value may be, as messages say it; made from the range for a
  // Whole or a Number.
  std::string_view allowed;
  unsigned takers;        // OptionTaker
  std::string_view help;  // lines joined by '\n'
  void (*set)(CommandOptions& options, const OptionValue& value);
  std::span<const OptionChoice> choices;  // of a Choice
  std::string_view bare;                  // the value of an optional value not given
  std::string_view windowHelp;            // the window's own, where it says less
};

// The table, in the order the help lists the options.
std::span<const OptionEntry> OptionTable();
// The entry of a long name, of those taker takes; none when there is none.
const OptionEntry* FindOption(std::string_view name, unsigned taker);

// What an option's value may be, as messages say it: "a whole number from
// 2 to 95".
std::string AllowedValue(const OptionEntry& option);

// Reads an option's value (nothing when none was given) into options:
// empty when it was taken, otherwise what is wrong, as in "--width: "abc"
// is not a whole number from 0 to 1048576" (the option named as given, in
// shown). second is the word after the option, for a Pair.
std::string TakeOption(const OptionEntry& option, std::string_view shown, std::optional<std::string_view> value,
                       CommandOptions& options, std::string_view second = {});

// The lines of help of the options listed says, in the table's order, as
// GNU tools write them: "  -o, --output=FILE   what it does", its words
// from the 23rd column, on the next line when the option is too long; the
// window's own words where it has them, for the window.
std::string OptionsHelp(bool (*listed)(const OptionEntry& option), bool forTheWindow = false);

}  // namespace morvexa
