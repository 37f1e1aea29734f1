#pragma once

// Banners in FIGlet fonts (.flf) and TOIlet fonts (.tlf): the fonts read
// completely, and text laid out in them as figlet 2.2.5 lays it, character
// for character.
#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace morvexa {

// A FIGlet or TOIlet font: its header and its characters, each a few rows
// of characters (read as UTF-8, as figlet reads them; a byte that is not is
// its character of ISO-8859-1), end marks taken off.
struct FigletFont {
  // The layout rules of a font's full layout, and what they are together.
  enum Rule : int {
    kEqual = 1,       // two equal characters become one
    kLowLine = 2,     // an underscore gives way to a border character
    kHierarchy = 4,   // of two classes of border characters, the later wins
    kPair = 8,        // opposite brackets become a bar
    kBigX = 16,       // "/\" becomes "|", "\/" "Y", "><" "X"
    kHardBlank = 32,  // two hardblanks become one
    kKerning = 64,    // characters are moved together until they touch
    kSmushing = 128,  // ... and then by one more, where the rules allow
  };

  std::string name;  // as it was asked for
  bool toilet = false;
  char32_t hardBlank = U'$';
  int height = 1;
  int baseline = 1;
  int maxLength = 1;
  int oldLayout = 0;
  int commentLines = 0;
  bool rightToLeft = false;
  // The layout the font asks for, as figlet reads it: its full layout when
  // given, else made from its old layout.
  int layout = kKerning;
  std::string comment;
  // Each character's rows, by its code (the last one given for a code
  // wins); code 0, when the font gives it, draws characters it lacks.
  std::map<long, std::vector<std::u32string>> characters;
  // The codes of characters with bytes that are not UTF-8 (ISO-8859-1, in
  // some old fonts): figlet's own layout of them reads memory it never
  // wrote, so only Morvexa's is defined.
  std::set<long> notUtf8;

  // Reads a font from its bytes (a zip archive, as FIGlet allows, holds
  // it as its first file). A malformed font fails with a Failure whose
  // refusal names the font and the line: "FONT, line 3: ...".
  static FigletFont Parse(std::string_view bytes, std::string_view name);
  // Reads the font named: a file (a name with a "/", or one that exists),
  // or a font's name looked up, with ".flf" or ".tlf" added, in the
  // folders FigletFolders lists. Fails, refused, naming what was looked
  // for and where, when there is none.
  static FigletFont Open(std::string_view name);
};

// The folders FIGlet and TOIlet fonts are looked for in, in order: those
// FIGLET_FONTDIR names (separated by ":"), then Debian's figlet and toilet
// folders.
std::vector<std::filesystem::path> FigletFolders();
// The names of the fonts found there (without .flf or .tlf), sorted, each
// once (the first folder's wins).
std::vector<std::string> FigletFontsFound();

// How a banner is laid out, as figlet's options ask.
struct FigletLayout {
  // -s (the font's own), -W (full width), -k (kerning), -S (smushing by
  // the font's rules, forced on), -o (overlap: universal smushing), or
  // -m's number.
  enum class Mode { Font, FullWidth, Kerning, Smushing, Overlap, Number };
  Mode mode = Mode::Font;
  int number = 0;  // of Number: -1 full width, 0 kerning, else rules
  // -x, -l, -c, -r.
  enum class Justify { Auto, Left, Center, Right };
  Justify justify = Justify::Auto;
  // -X (the font's), -L, -R.
  enum class Direction { Font, LeftToRight, RightToLeft };
  Direction direction = Direction::Font;
  // -w: the columns of the output; a line is at most one less.
  std::size_t width = 80;
};

// The characters of text that font has no glyph for (code 0 standing in
// for none of them), each once, in the order met; line breaks, spaces and
// controls figlet drops are not counted.
std::u32string FigletMissing(const FigletFont& font, std::u32string_view text);

// The lines of text laid out in font as figlet 2.2.5 lays them, without
// their line breaks: hardblanks drawn as spaces, lines broken between
// words to fit the width (or between characters in a word too long), a
// line break in text starting a new line of characters.
std::vector<std::u32string> FigletLines(const FigletFont& font, std::u32string_view text, const FigletLayout& layout);

}  // namespace morvexa
