#pragma once

#include <span>
#include <string>
#include <vector>

#include "morvexa/art_sink.h"

namespace morvexa {

// The colors of an art's cells as they were given, beside the bytes they
// were given to, line by line. A cell whose byte is no longer the one it
// was given (typed over by the user) has no color: its color stays only
// while its symbol does. A replacement keeps every cell's color.
class ColorLayer {
 public:
  void Clear() {
    lines_.clear();
    hasPaper_ = false;
  }
  // Forgets the lines from count on.
  void Truncate(std::size_t count) {
    if (count < lines_.size()) lines_.resize(count);
  }
  // The next line; each kind of colors may be empty (none), or one per
  // byte.
  void AppendLine(ByteStringView line, LineColors colors);
  // Line i's bytes were replaced, old by new, as a replacement does: where
  // a byte still held what it was given, it now holds new's byte.
  void Replace(std::size_t i, ByteStringView oldLine, ByteStringView newLine);

  // The ink and paper of each byte of line i as it is now (kNoColor where
  // none).
  void ColorsOf(std::size_t i, ByteStringView now, std::vector<Rgb>& ink, std::vector<Rgb>& paper) const;
  bool Empty() const { return lines_.empty(); }
  // Whether any line has paper colors.
  bool HasPaper() const { return hasPaper_; }

 private:
  struct Line {
    ByteString given;
    std::vector<Rgb> ink;
    std::vector<Rgb> paper;  // empty: none
  };
  bool hasPaper_ = false;
  std::vector<Line> lines_;
};

}  // namespace morvexa
