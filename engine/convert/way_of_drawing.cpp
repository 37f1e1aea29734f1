#include "morvexa/way_of_drawing.h"

#include <array>

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
constexpr std::string_view kNeedlessInvert = "--invert is for --ramp, --shapes and --blocks only";
constexpr std::string_view kInvertWithFill =
    "--invert is needless with --shapes --fill: each cell is drawn in the two colors of its pixels";

}  // namespace

bool FillsCells(const WayOfDrawing& way) {
  return std::visit(Overloaded{[](const Blocks&) { return true; }, [](const auto& w) { return w.fill; }}, way);
}

bool Inverts(const WayOfDrawing& way) {
  return std::visit(Overloaded{[](const SymbolPerColor&) { return false; }, [](const ReducedColors&) { return false; },
                               [](const auto& w) { return w.invert; }},
                    way);
}

WayOfDrawing Inverted(WayOfDrawing way) {
  std::visit(Overloaded{[](SymbolPerColor&) {}, [](ReducedColors&) {}, [](auto& w) { w.invert = true; }}, way);
  return way;
}

bool OfInkAlone(const WayOfDrawing& way, bool colorsShown) {
  if (colorsShown) return false;
  return std::holds_alternative<Ramp>(way) || std::holds_alternative<Shapes>(way) ||
         std::holds_alternative<Blocks>(way);
}

std::string ConflictOf(const DrawingRequest& request) {
  const std::array<std::pair<bool, std::string_view>, 4> ways = {{{request.ramp.has_value(), "--ramp"},
                                                                  {request.colors != 0, "--colors"},
                                                                  {request.shapes, "--shapes"},
                                                                  {request.blocks.has_value(), "--blocks"}}};
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
  } else if (target.firstLook && !request.blocks && !request.shapes) {
    // The first look: block elements fitted to each cell, in the cell's
    // colors when they show (smooth parts smooth, edges sharp), else ink
    // alone that keeps tones and edges.
    choice.way = Blocks{target.form == ArtForm::Gbk ? BlockKind::FineCodePage936 : BlockKind::Fine, request.invert};
  } else if (request.shapes) {
    choice.way = Shapes{request.fill, request.invert};
  } else if (request.blocks) {
    BlockKind kind = *request.blocks;
    if (target.form == ArtForm::Gbk && kind == BlockKind::Braille) {
      choice.refusal = kNoBraille;
      return choice;
    }
    // Code page 936 holds only some of the block elements.
    if (target.form == ArtForm::Gbk && kind == BlockKind::Quadrants) kind = BlockKind::CodePage936;
    if (target.form == ArtForm::Gbk && kind == BlockKind::Fine) kind = BlockKind::FineCodePage936;
    choice.way = Blocks{kind, request.invert};
  } else {
    choice.way = SymbolPerColor{request.fill};
  }
  if (request.invert && !std::holds_alternative<Ramp>(choice.way) && !std::holds_alternative<Shapes>(choice.way) &&
      !std::holds_alternative<Blocks>(choice.way)) {
    choice.refusal = kNeedlessInvert;
  } else if (const auto* shapes = std::get_if<Shapes>(&choice.way); shapes && shapes->fill && request.invert) {
    // The cell's ink and paper are the two colors of its pixels, which way
    // round makes no difference.
    choice.refusal = kInvertWithFill;
  }
  return choice;
}

}  // namespace morvexa
