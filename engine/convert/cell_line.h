#pragma once

#include <cstddef>
#include <vector>

#include "morvexa/art_sink.h"

namespace morvexa {

// Writes line y of cells to sink with the colors it keeps: none; each
// byte's ink and paper (CellColors::Own); or, from afar, inks alone
// (CellColors::Look), which then hold each cell's look.
inline void WriteCellLine(ArtSink& sink, std::size_t y, ByteStringView line, const std::vector<Rgb>& inks,
                          const std::vector<Rgb>& papers) {
  switch (sink.Colors()) {
    case CellColors::None: sink.WriteLine(y, line); break;
    case CellColors::Own: sink.WriteColoredLine(y, line, {inks, papers}); break;
    case CellColors::Look: sink.WriteColoredLine(y, line, inks); break;
  }
}

}  // namespace morvexa
