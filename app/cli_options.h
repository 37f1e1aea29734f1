#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "morvexa/art_writer.h"
#include "morvexa/color.h"
#include "morvexa/picture_options.h"

namespace morvexa::cli {

enum class Command { Text, Picture, Help, Version };

// --color=WHEN, as GNU tools take it.
enum class ColorWhen { Auto, Always, Never };

// What the command line asks for; every text still as it arrived, in the
// locale's character set.
struct Options {
  Command command = Command::Help;
  // With Help: the command whose help is asked for (Help itself: the
  // program's).
  Command helpFor = Command::Help;
  std::string input;  // the text to draw, or the picture file ("-": standard input)
  std::string fore = "$";
  std::string back = " ";
  std::optional<std::string> artOutput;                           // -o FILE, "-" for standard output
  std::optional<std::string> symbolsOutput;                       // --symbols FILE, "-" for standard output
  std::vector<std::pair<std::string, std::string>> replacements;  // --replace OLD NEW, in order
  // picture: its size, and the way of drawing asked for, unchecked.
  PictureOptions picture;
  DrawingRequest drawing;
  Rgb background = 0xFFFFFF;
  // The art's form (--format), when given, and when colors are shown.
  std::optional<ArtForm> form;
  ColorWhen color = ColorWhen::Auto;
  bool colorGiven = false;
  // --palette: the colors a terminal shows, when given.
  std::optional<TerminalColors> palette;
  // picture: one symbol per pixel even on a terminal (--original).
  bool original = false;
  // picture: the frame of an animation drawn (--frame, from 1; 0: not
  // given); how many times an animation is played through (--loops, 0: for
  // ever) and for how long at most (--duration, in seconds); a page that
  // plays it (--animate).
  std::size_t frame = 0;
  std::optional<std::size_t> loops;
  std::optional<double> duration;
  bool animate = false;
  // text: the colors of ink and blank cells, for the forms that show them,
  // and whether either was given (else a terminal shows its own).
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
  // picture: the font the art will be read in (--glyphs-of), whose glyphs
  // --shapes and the ramp are matched to.
  std::optional<std::string> glyphsOf;
};

// Reads the arguments after the program name, as GNU tools do: long
// options with "=VALUE" or the value next, "--" ending the options. On a
// wrong command line the result holds a one-line reason instead.
struct ParseResult {
  std::optional<Options> options;
  std::string error;
  // With an error: the command whose options were wrong (Help: none was
  // known), whose help says more.
  Command wrongIn = Command::Help;
};
ParseResult ParseArguments(const std::vector<std::string>& args);

// Where to look after a wrong command line: "Try 'morvexa-cli picture
// --help' for more information." (Help: the program's help).
std::string HelpHint(Command command);

// The help of a command (Help: the program's), and the version text.
std::string HelpText(Command command);
std::string VersionText();

}  // namespace morvexa::cli
