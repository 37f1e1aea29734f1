#pragma once

// How a picture's cells choose their symbols: one way at a time, each with
// what belongs to it; and the one place where what a person asks for is
// checked and made into a way, for the window and the command line alike.
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "morvexa/art_form.h"
#include "morvexa/byte_string.h"

namespace morvexa {

// The symbols of the ramp, in the order of the ink they have in the
// built-in font's glyphs, lightest first.
inline constexpr std::string_view kDefaultRamp = " .:+xo%#@";

// The samples of the picture each cell is seen as, wide and high: more
// than one for ways whose cells have a pattern.
struct CellSamples {
  int wide = 1, high = 1;
};

// Each way of drawing carries what belongs to it (its fill, its invert, its
// symbols) and its traits, which the rest of the program reads through one
// visit (see the functions after WayOfDrawing):
//  - kOption: the option that asks for it ("" for the default way);
//  - kTakesInvert: whether --invert draws it light on dark;
//  - kMatchesGlyphs: whether it chooses symbols by the glyphs of the font
//    the art is read in (--glyphs-of);
//  - kCellPerPixel: whether, with no size given, it draws a cell a pixel;
//  - Samples(): the samples a cell is seen as; PixelsAcross(): the pixels a
//    cell covers across with no size given (its finest detail a pixel);
//  - Fills(): whether each cell gets a paper color as well as its ink;
//  - InkAlone(colorsShown): whether its art is ink alone on paper, which a
//    dark terminal shows inverted;
//  - In(form): the way as the form can hold it, or nothing when it cannot.

// A symbol for each color of each cell, in the order the colors are first
// met (the window's own way). A sized picture of more than 95 colors is
// reduced to 95. fill: each cell on its own color, behind a symbol that
// stands out.
struct SymbolPerColor {
  bool fill = false;

  static constexpr std::string_view kOption = "";
  static constexpr bool kTakesInvert = false, kCellPerPixel = true;
  static constexpr bool kMatchesGlyphs = false;
  CellSamples Samples() const { return {}; }
  int PixelsAcross() const { return 1; }
  bool Fills() const { return fill; }
  bool InkAlone(bool) const { return false; }
};

// The picture reduced to at most colors colors (2 to 95) first, with
// error diffusion when dither; then a symbol for each.
struct ReducedColors {
  int colors = 2;
  bool dither = false;
  bool fill = false;

  static constexpr std::string_view kOption = "--colors";
  static constexpr bool kTakesInvert = false, kCellPerPixel = true;
  static constexpr bool kMatchesGlyphs = false;
  CellSamples Samples() const { return {}; }
  int PixelsAcross() const { return 1; }
  bool Fills() const { return fill; }
  bool InkAlone(bool) const { return false; }
};

// Each cell the symbol of its brightness, symbols from light to dark;
// invert: light ink on dark paper.
struct Ramp {
  ByteString symbols{kDefaultRamp};
  bool invert = false;
  bool fill = false;

  static constexpr std::string_view kOption = "--ramp";
  static constexpr bool kTakesInvert = true, kCellPerPixel = false;
  static constexpr bool kMatchesGlyphs = true;
  CellSamples Samples() const { return {}; }
  int PixelsAcross() const { return 1; }
  bool Fills() const { return fill; }
  bool InkAlone(bool colorsShown) const { return !colorsShown; }
};

// Each cell the printable ASCII symbol whose glyph best matches the
// pattern of the pixels it covers (see convert/shapes_to_art.h), seen as
// 8 x 16 samples, a pixel of a glyph each; fill: in the two colors that
// fit its pixels.
struct Shapes {
  bool fill = false;
  bool invert = false;

  static constexpr std::string_view kOption = "--shapes";
  static constexpr bool kTakesInvert = true, kCellPerPixel = false;
  static constexpr bool kMatchesGlyphs = true;
  static constexpr CellSamples kSamples = {8, 16};
  CellSamples Samples() const { return kSamples; }
  int PixelsAcross() const { return kSamples.wide; }
  bool Fills() const { return fill; }
  bool InkAlone(bool colorsShown) const { return !colorsShown; }
};

// Cells of block elements, each split in two colors (see
// convert/blocks_to_art.h): halves and quadrants (8 x 8 samples a cell);
// only the halves and eighths that code page 936 holds (8 x 8); braille's
// 2 x 4 dots (2 x 4); or, fine, the halves, quadrants and eighths fitted to
// 8 x 16 samples a cell by their tones first (see convert/fine_blocks.h),
// of them only those code page 936 holds.
enum class BlockKind { Quadrants, CodePage936, Braille, Fine, FineCodePage936 };
struct Blocks {
  BlockKind kind = BlockKind::Quadrants;
  bool invert = false;

  static constexpr std::string_view kOption = "--blocks";
  static constexpr bool kTakesInvert = true, kCellPerPixel = false;
  static constexpr bool kMatchesGlyphs = false;
  CellSamples Samples() const;
  int PixelsAcross() const { return 2; }
  bool Fills() const { return true; }
  bool InkAlone(bool colorsShown) const { return !colorsShown; }
  // Code page 936 holds no braille, and only some block elements.
  std::optional<Blocks> In(ArtForm form) const;
};

// Each cell two columns wide and a line high, drawn in the Chinese
// character of characters (code page 936, two bytes each) whose glyph in
// the font the art will be read in (the built-in 16 x 16 font unless
// another is named) is most like the 16 x 16 samples it covers
// (see convert/hanzi_to_art.h), or the full-width space where paper is
// best: ink on white paper (invert: on black), or with fill in the ink and
// paper that fit the cell. Or, given a text, its characters in reading order, one a cell,
// over again as needed (see convert/hanzi_text.h).
struct Hanzi {
  ByteString characters;
  bool fill = false;
  // The characters of a text laid through the picture (code page 936, two
  // bytes each); empty: each cell's character is matched.
  ByteString text;
  // Light ink on dark paper, the picture's light tones asking for ink.
  bool invert = false;

  static constexpr std::string_view kOption = "--hanzi";
  static constexpr std::string_view kTextOption = "--hanzi-text";
  static constexpr bool kTakesInvert = true, kCellPerPixel = false;
  static constexpr bool kMatchesGlyphs = true;
  // A cell's samples, wide and high; it is two columns, each half as wide.
  static constexpr CellSamples kCellSamples = {16, 16};
  CellSamples Samples() const { return {kCellSamples.wide / 2, kCellSamples.high}; }
  int PixelsAcross() const { return kCellSamples.wide / 2; }
  bool Fills() const { return fill; }
  bool InkAlone(bool colorsShown) const { return !colorsShown; }
};

using WayOfDrawing = std::variant<SymbolPerColor, ReducedColors, Ramp, Shapes, Blocks, Hanzi>;

// The traits of a way, read by one visit.
CellSamples SamplesOf(const WayOfDrawing& way);
int PixelsAcross(const WayOfDrawing& way);
bool CellPerPixel(const WayOfDrawing& way);
// Whether a way draws each cell with a paper color as well as its ink.
bool FillsCells(const WayOfDrawing& way);
// Whether a way draws light ink on dark paper.
bool Inverts(const WayOfDrawing& way);
// The way drawing light ink on dark paper, where it can.
WayOfDrawing Inverted(WayOfDrawing way);
// Whether a way's art, without colors shown, is ink alone on paper: the
// ramp, the shapes and the blocks, which a dark terminal shows inverted.
bool OfInkAlone(const WayOfDrawing& way, bool colorsShown);

// What a person asks of the drawing, option by option, as both programs
// take it, before it is checked.
struct DrawingRequest {
  std::optional<ByteString> ramp;   // --ramp
  int colors = 0;                   // --colors (0: not given)
  bool dither = false;              // --dither
  bool shapes = false;              // --shapes
  std::optional<BlockKind> blocks;  // --blocks
  bool fill = false;                // --fill
  bool invert = false;              // --invert
  bool glyphsOf = false;            // --glyphs-of
  // --hanzi: code page 936 characters, or the words "level1" (GB2312's
  // first level, the default) or "all" (all of GB2312's characters).
  std::optional<ByteString> hanzi;
  // --hanzi-text: code page 936 text laid through the picture.
  std::optional<ByteString> hanziText;
  bool WayGiven() const { return ramp || colors != 0 || shapes || blocks || hanzi || hanziText; }
};

// Where the art goes, as far as the way of drawing cares.
struct DrawingTarget {
  ArtForm form = ArtForm::Gbk;
  bool colorsShown = false;
  // The first look on a terminal: with no way asked for, shapes (with fill
  // when colors are shown).
  bool firstLook = false;
};

// The way a request names for a target, or, when it is refused, why, in
// one sentence with the options as they are typed.
struct DrawingChoice {
  WayOfDrawing way;
  std::string refusal;  // empty: not refused
};

// The ways asked for conflict with one another ("--ramp and --shapes
// cannot be used together"): checked before anything else, as soon as the
// options are read.
std::string ConflictOf(const DrawingRequest& request);

// The whole check: conflicts; what the form can hold (code page 936 has
// no braille, and only some block elements); a needless --invert or
// --glyphs-of; Chinese characters the built-in font has.
DrawingChoice ChooseWayOfDrawing(const DrawingRequest& request, const DrawingTarget& target);

}  // namespace morvexa
