#pragma once

#include <cstddef>
#include <span>

#include "byte_string.h"
#include "pixel_image.h"

namespace morvexa {

// What ends each line of the art text.
inline constexpr ByteStringView kLineBreak = "\r\n";

// The color of a cell of art, given beside its bytes: one for each byte of
// a line (a symbol of two bytes has its color twice). kNoColor: none.
inline constexpr Rgb kNoColor = 0xFF000000;

// The holder of the art text: the engine's only access to the art. The
// window implements it over its output area; MemoryArtArea keeps it in
// memory.
//
// The text is split into lines at each CR LF; a final empty piece after the
// last CR LF is not a line, while a final piece without CR LF is.
class ArtArea {
 public:
  virtual ~ArtArea() = default;

  // Empties the area.
  virtual void Clear() = 0;
  // Places line i followed by CR LF. The engine writes lines 0, 1, 2, ...
  // in order after Clear, so the area ends up holding exactly their art text.
  virtual void WriteLine(std::size_t i, ByteStringView line) = 0;
  // Places count lines from line first on, given as their art text: each
  // line followed by CR LF. The same as WriteLine for each, in one go.
  virtual void WriteLines(std::size_t first, std::size_t count, ByteStringView text);

  // Whether the area keeps the colors of its cells: only then are they
  // worked out and given with the Colored forms.
  virtual bool KeepsColors() const { return false; }
  // WriteLine with the color of each of the line's bytes.
  virtual void WriteColoredLine(std::size_t i, ByteStringView line, std::span<const Rgb> colors);
  // WriteLines with the color of each byte of text (those of the line
  // breaks are not used).
  virtual void WriteColoredLines(std::size_t first, std::size_t count, ByteStringView text,
                                 std::span<const Rgb> colors);

  virtual std::size_t LineCount() const = 0;
  // Line i without its line break; i < LineCount().
  virtual ByteString GetLine(std::size_t i) const = 0;
  // Replaces the bytes of line i, keeping the line breaks where they are.
  virtual void SetLine(std::size_t i, ByteStringView line) = 0;
  // The whole art text, byte for byte.
  virtual ByteString Text() const = 0;
};

}  // namespace morvexa
