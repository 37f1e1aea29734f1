#pragma once

#include "art_area.h"
#include "art_lines.h"

namespace morvexa {

// An art area held in memory, for the command-line program and the tests.
class MemoryArtArea final : public ArtArea {
 public:
  MemoryArtArea() = default;
  // An area holding exactly these bytes.
  explicit MemoryArtArea(ByteStringView text);

  void Clear() override;
  void WriteLine(std::size_t i, ByteStringView line) override;
  std::size_t LineCount() const override { return lines_.size(); }
  ByteString GetLine(std::size_t i) const override;
  void SetLine(std::size_t i, ByteStringView line) override;
  ByteString Text() const override;

  const ArtLines& Lines() const { return lines_; }

 private:
  ArtLines lines_;
  // Whether the last line is followed by CR LF.
  bool lastLineEnded_ = true;
};

}  // namespace morvexa
