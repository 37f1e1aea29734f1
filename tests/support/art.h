#pragma once

// Reading an art area in the tests.
#include <vector>

#include "morvexa/art_area.h"

namespace morvexa::testing_support {

inline std::vector<ByteString> Lines(const ArtArea& area) {
  std::vector<ByteString> lines;
  for (std::size_t i = 0; i < area.LineCount(); ++i) lines.push_back(area.GetLine(i));
  return lines;
}

}  // namespace morvexa::testing_support
