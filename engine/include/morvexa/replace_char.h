#pragma once

#include <array>
#include <span>

#include "morvexa/art_area.h"
#include "morvexa/byte_string.h"
#include "morvexa/char_list.h"

namespace morvexa {

// clang-format off
enum class [[nodiscard]] ReplaceResult { Done, NothingSelected, LengthMismatch };
// clang-format on

// Replaces the symbol selected in the list with the new symbol (the first
// two bytes of newText) throughout the art, byte by byte: a byte equal to
// the old symbol becomes the new one, whatever character it belongs to. The
// selected entry leaves the list and the new symbol joins it (AddIfAbsent).
// NothingSelected and LengthMismatch change nothing.
ReplaceResult ReplaceChar(CharList& list, ByteStringView newText, ArtArea& area);

// ReplaceChar for art still to be made: the list changes at once, as
// ReplaceChar changes it, and each byte of the art is replaced as it passes
// (ReplacingSink), by every replacement in turn.
class ByteReplacements {
 public:
  ByteReplacements();
  // As ReplaceChar for the list; the replacement of the art's bytes is kept
  // for the art to come.
  ReplaceResult Add(CharList& list, ByteStringView newText);
  // Whether the art can be replaced as it passes: no replacement makes or
  // takes a byte of a line break, which in the whole art would join or
  // split its lines.
  bool AsItPasses() const { return asItPasses_; }
  // Replaces the bytes in place.
  void Apply(std::span<char> bytes) const;

 private:
  std::array<char, 256> to_;
  bool asItPasses_ = true;
};

// A sink that replaces the bytes of every line (ByteReplacements::Apply)
// before it hands them to another.
class ReplacingSink final : public ArtSink {
 public:
  ReplacingSink(ArtSink& to, const ByteReplacements& replacements) : to_(to), replacements_(replacements) {}

  void Clear() override { to_.Clear(); }
  void WriteLine(std::size_t i, ByteStringView line) override;
  void WriteLines(std::size_t first, std::size_t count, ByteStringView text) override;
  CellColors Colors() const override { return to_.Colors(); }
  void WriteColoredLine(std::size_t i, ByteStringView line, LineColors colors) override;
  void WriteColoredLines(std::size_t first, std::size_t count, ByteStringView text, LineColors colors) override;
  void WriteLinePart(ByteStringView part, LineColors colors) override;
  void EndLine(std::size_t i) override { to_.EndLine(i); }

 private:
  ByteStringView Replaced(ByteStringView bytes);

  ArtSink& to_;
  const ByteReplacements& replacements_;
  ByteString bytes_;
};

}  // namespace morvexa
