#include "morvexa/way_of_drawing.h"

#include <array>

#include "convert/hanzi_glyphs.h"
#include "convert/hanzi_text.h"

namespace morvexa {

namespace {

template <typename... Ways>
struct Overloaded : Ways... {
  using Ways::operator()...;
};
template <typename... Ways>
Overloaded(Ways...) -> Overloaded<Ways...>;

// Every refusal of a way of drawing, worded once.
constexpr std::string_view kTogether = " cannot be used together";
constexpr std::string_view kNoBraille =
    "code page 936 holds no braille; --blocks=braille takes --format utf8, ansi or html";
constexpr std::string_view kNeedlessInvert = "--invert is for --ramp, --shapes, --blocks and --hanzi only";
constexpr std::string_view kNeedlessGlyphs =
    "--glyphs-of is for --shapes, --ramp, --hanzi and --hanzi-text only: no other way of drawing matches the "
    "font's glyphs";
constexpr std::string_view kNoHanzi = "--hanzi was given no character";
constexpr std::string_view kNoHanziGlyph =
    "the built-in font has none of the characters of --hanzi (it has those of GB2312)";
constexpr std::string_view kNoHanziText =
    "--hanzi-text has no character to lay through the picture (spaces and line breaks are skipped)";
constexpr std::string_view kInvertWithFill =
    "--invert is needless with --shapes --fill: each cell is drawn in the two colors of its pixels";

}  // namespace

CellSamples Blocks::Samples() const {
  switch (kind) {
    case BlockKind::Quadrants:
    case BlockKind::CodePage936: return {8, 8};
    case BlockKind::Braille: return {2, 4};
    case BlockKind::Fine:
    case BlockKind::FineCodePage936: return {8, 16};
  }
  return {};
}

std::optional<Blocks> Blocks::In(ArtForm form) const {
  if (form != ArtForm::Gbk) return *this;
  switch (kind) {
    case BlockKind::Braille: return {};
    case BlockKind::Quadrants: return Blocks{BlockKind::CodePage936, invert};
    case BlockKind::Fine: return Blocks{BlockKind::FineCodePage936, invert};
    case BlockKind::CodePage936:
    case BlockKind::FineCodePage936: break;
  }
  return *this;
}

CellSamples SamplesOf(const WayOfDrawing& way) {
  return std::visit([](const auto& w) { return w.Samples(); }, way);
}

int PixelsAcross(const WayOfDrawing& way) {
  return std::visit([](const auto& w) { return w.PixelsAcross(); }, way);
}

bool CellPerPixel(const WayOfDrawing& way) {
  return std::visit([](const auto& w) { return std::decay_t<decltype(w)>::kCellPerPixel; }, way);
}

bool FillsCells(const WayOfDrawing& way) {
  return std::visit([](const auto& w) { return w.Fills(); }, way);
}

bool Inverts(const WayOfDrawing& way) {
  return std::visit(
      [](const auto& w) {
        if constexpr (std::decay_t<decltype(w)>::kTakesInvert) {
          return w.invert;
        } else {
          return false;
        }
      },
      way);
}

WayOfDrawing Inverted(WayOfDrawing way) {
  std::visit(
      [](auto& w) {
        if constexpr (std::decay_t<decltype(w)>::kTakesInvert) w.invert = true;
      },
      way);
  return way;
}

bool OfInkAlone(const WayOfDrawing& way, bool colorsShown) {
  return std::visit([colorsShown](const auto& w) { return w.InkAlone(colorsShown); }, way);
}

std::string ConflictOf(const DrawingRequest& request) {
  const std::array<std::pair<bool, std::string_view>, 6> ways = {{{request.ramp.has_value(), Ramp::kOption},
                                                                  {request.colors != 0, ReducedColors::kOption},
                                                                  {request.shapes, Shapes::kOption},
                                                                  {request.blocks.has_value(), Blocks::kOption},
                                                                  {request.hanzi.has_value(), Hanzi::kOption},
                                                                  {request.hanziText.has_value(), Hanzi::kTextOption}}};
  std::string_view chosen;
  for (const auto& [given, name] : ways) {
    if (!given) continue;
    if (!chosen.empty()) return std::string(chosen) + " and " + std::string(name) + std::string(kTogether);
    chosen = name;
  }
  return {};
}

DrawingChoice ChooseWayOfDrawing(const DrawingRequest& request, const DrawingTarget& target) {
  DrawingChoice choice;
  if (std::string conflict = ConflictOf(request); !conflict.empty()) {
    choice.refusal = std::move(conflict);
    return choice;
  }
  if (request.ramp) {
    choice.way = Ramp{*request.ramp, request.invert, request.fill};
  } else if (request.colors != 0) {
    choice.way = ReducedColors{request.colors, request.dither, request.fill};
  } else if (request.shapes) {
    choice.way = Shapes{request.fill, request.invert};
  } else if (request.hanziText) {
    Hanzi hanzi{{}, request.fill, LaidText(*request.hanziText), request.invert};
    if (hanzi.text.empty()) {
      choice.refusal = kNoHanziText;
      return choice;
    }
    choice.way = std::move(hanzi);
  } else if (request.hanzi) {
    // The characters the built-in font has (after the full-width space,
    // which every set holds).
    if (request.hanzi->empty()) {
      choice.refusal = kNoHanzi;
      return choice;
    }
    if (HanziGlyphs::For(*request.hanzi, {})->Count() < 2) {
      choice.refusal = kNoHanziGlyph;
      return choice;
    }
    choice.way = Hanzi{HanziCharacters(*request.hanzi), request.fill, {}, request.invert};
  } else if (request.blocks || target.firstLook) {
    // The first look: block elements fitted to each cell, in the cell's
    // colors when they show (smooth parts smooth, edges sharp), else ink
    // alone that keeps tones and edges.
    const std::optional<Blocks> held = Blocks{request.blocks.value_or(BlockKind::Fine), request.invert}.In(target.form);
    if (!held) {
      choice.refusal = kNoBraille;
      return choice;
    }
    choice.way = *held;
  } else {
    choice.way = SymbolPerColor{request.fill};
  }
  if (request.invert &&
      !std::visit([](const auto& w) { return std::decay_t<decltype(w)>::kTakesInvert; }, choice.way)) {
    choice.refusal = kNeedlessInvert;
  } else if (request.glyphsOf &&
             !std::visit([](const auto& w) { return std::decay_t<decltype(w)>::kMatchesGlyphs; }, choice.way)) {
    choice.refusal = kNeedlessGlyphs;
  } else if (const auto* shapes = std::get_if<Shapes>(&choice.way); shapes && shapes->fill && request.invert) {
    // The cell's ink and paper are the two colors of its pixels, which way
    // round makes no difference.
    choice.refusal = kInvertWithFill;
  }
  return choice;
}

}  // namespace morvexa
