#pragma once

#include <QFont>
#include <functional>
#include <optional>

#include "morvexa/picture_options.h"

namespace morvexa {

// Each symbol as the output area shows it in font: drawn by Qt, smoothed,
// into one text cell (the symbol's advance wide, a line high, the baseline
// at the font's ascent), so that art is matched to the shapes a person will
// see rather than to the font file's own bitmaps, which the window does not
// use. Ink the font draws above or below the line is counted in the cell's
// top or bottom row, where it shows. Nothing for a symbol the font lacks.
std::function<std::optional<DrawnCell>(char32_t)> DrawnBy(const QFont& font);

}  // namespace morvexa
