#pragma once

#include <cstddef>

#include "morvexa/art_sink.h"

namespace morvexa {

// The holder of the art text, which can be read and edited as well as
// written: the art that a replacement works on. The window implements it
// over its output area; MemoryArtArea keeps it in memory.
//
// The text is split into lines at each CR LF; a final empty piece after the
// last CR LF is not a line, while a final piece without CR LF is.
class ArtArea : public ArtSink {
 public:
  virtual std::size_t LineCount() const = 0;
  // Line i without its line break; i < LineCount().
  virtual ByteString GetLine(std::size_t i) const = 0;
  // Replaces the bytes of line i, keeping the line breaks where they are.
  virtual void SetLine(std::size_t i, ByteStringView line) = 0;
  // The whole art text, byte for byte.
  virtual ByteString Text() const = 0;
};

}  // namespace morvexa
