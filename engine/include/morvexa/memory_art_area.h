#pragma once

#include <vector>

#include "morvexa/art_area.h"
#include "morvexa/color_layer.h"

namespace morvexa {

// An art area held in memory: the art text itself, with where each line
// starts. Its lines are always those of its text, split at every CR LF, so
// a written line whose symbols hold CR LF becomes several lines, just as it
// does in the window's output area. WriteLine appends: line i is the i-th
// line written, whatever the lines before it held.
class MemoryArtArea final : public ArtArea {
 public:
  MemoryArtArea() = default;
  // An area holding exactly these bytes.
  explicit MemoryArtArea(ByteStringView text);

  void Clear() override;
  void WriteLine(std::size_t i, ByteStringView line) override;
  void WriteLines(std::size_t first, std::size_t count, ByteStringView text) override;
  CellColors Colors() const override { return keepsColors_ ? CellColors::Own : CellColors::None; }
  void WriteColoredLine(std::size_t i, ByteStringView line, LineColors colors) override;
  void WriteColoredLines(std::size_t first, std::size_t count, ByteStringView text, LineColors colors) override;
  std::size_t LineCount() const override { return starts_.size(); }
  ByteString GetLine(std::size_t i) const override;
  void SetLine(std::size_t i, ByteStringView line) override;
  ByteString Text() const override { return text_; }

  // Keeps the colors of the cells from now on (see ColorLayer).
  void KeepColors() { keepsColors_ = true; }
  // The ink and paper of each byte of line i (kNoColor where none).
  void ColorsOf(std::size_t i, std::vector<Rgb>& ink, std::vector<Rgb>& paper) const;

 private:
  std::size_t LineEnd(std::size_t i) const;
  // Gives the lines from firstLine on, whose bytes start at firstByte, the
  // colors of those bytes (aligned with them; empty for none).
  void ColorNewLines(std::size_t firstLine, std::size_t firstByte, LineColors colors);
  // Finds the lines again from the one that starts at from.
  void IndexFrom(std::size_t line, std::size_t from);

  ByteString text_;
  std::vector<std::size_t> starts_;
  std::size_t written_ = 0;  // how many lines WriteLine has placed
  bool keepsColors_ = false;
  ColorLayer colors_;
};

}  // namespace morvexa
