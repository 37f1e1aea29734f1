#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "morvexa/byte_string.h"
#include "morvexa/color.h"

namespace morvexa {

// What ends each line of the art text.
inline constexpr ByteStringView kLineBreak = "\r\n";

// The colors of a line's bytes (a symbol of two bytes has its colors
// twice): each one's ink, the color its symbol is drawn in, and its paper,
// the cell's background; kNoColor where it has none. Either may be empty:
// no colors of that kind at all.
struct LineColors {
  std::span<const Rgb> ink;
  std::span<const Rgb> paper;

  LineColors() = default;
  LineColors(std::span<const Rgb> inkColors, std::span<const Rgb> paperColors = {})
      : ink(inkColors), paper(paperColors) {}
  LineColors(const std::vector<Rgb>& inkColors) : ink(inkColors) {}
  // The colors of length bytes from at (an empty kind stays empty).
  LineColors Part(std::size_t at, std::size_t length) const {
    return {ink.empty() ? ink : ink.subspan(at, length), paper.empty() ? paper : paper.subspan(at, length)};
  }
};

// Which colors a sink takes with the cells of the art.
enum class CellColors {
  None,  // none: the art's bytes are all it keeps
  Own,   // each cell's own color: its pixel's, the average of the pixels it covers, or text art's ink and blank
  Look,  // the color each cell shows as the conversion chose it: its reduced color, or its ramp symbol's gray
};

// Where art is written, line by line from the top: the conversions' one way
// out. The window's output area, the command line's streamed output and
// the in-memory art are sinks.
class ArtSink {
 public:
  virtual ~ArtSink() = default;

  // Starts the art afresh: nothing written yet.
  virtual void Clear() = 0;
  // Places line i followed by CR LF. The engine writes lines 0, 1, 2, ...
  // in order after Clear, so the sink ends up holding exactly their art text.
  virtual void WriteLine(std::size_t i, ByteStringView line) = 0;
  // Places count lines from line first on, given as their art text: each
  // line followed by CR LF. The same as WriteLine for each, in one go.
  virtual void WriteLines(std::size_t first, std::size_t count, ByteStringView text);

  // Which colors the sink takes: only those are worked out and given with
  // the Colored writes.
  virtual CellColors Colors() const { return CellColors::None; }
  // WriteLine with the colors of the line's bytes.
  virtual void WriteColoredLine(std::size_t i, ByteStringView line, LineColors colors);
  // WriteLines with the colors of each byte of text (those of the line
  // breaks are not used).
  virtual void WriteColoredLines(std::size_t first, std::size_t count, ByteStringView text, LineColors colors);

  // A line too long to hold whole, given in parts of whole symbols, each
  // with the colors of its bytes (the same kinds for every part, or none),
  // and then ended as line i: the same as WriteColoredLine (or WriteLine,
  // without colors) of the parts joined. A sink that keeps the art gathers
  // the parts; one that streams it writes each as it comes.
  virtual void WriteLinePart(ByteStringView part, LineColors colors = {});
  virtual void EndLine(std::size_t i);

 private:
  // The parts of a line gathered so far.
  ByteString partBytes_;
  std::vector<Rgb> partInk_, partPaper_;
};

}  // namespace morvexa
