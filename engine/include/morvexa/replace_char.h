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
// two bytes of newText) throughout the art. The selected entry leaves the
// list and the new symbol joins it (AddIfAbsent). By the widths of the two:
//  - a one-byte symbol by a one-byte symbol: byte by byte, a byte equal to
//    the old symbol becoming the new one whatever character it belongs to
//    (a trail byte too);
//  - a character (two bytes, two columns) by a character: whole
//    characters, the art read a character at a time as code page 936 reads
//    it, so that no trail byte or pair of bytes across two characters is
//    taken for the old one;
//  - a character by an ASCII symbol: each of the character's cells
//    becomes the symbol twice, two columns as the character was, so that
//    the art's columns stay aligned;
//  - an ASCII symbol by a character, only in art of characters (the list
//    holds a character, as the art the Chinese characters' way draws
//    does): each two of the symbol side by side, from the left, become the
//    character, as a character replaced by that symbol left them; a symbol
//    with no other beside it stays as it is.
// Every replacement keeps each line's bytes and columns. A one-byte symbol
// replaced by a character in other art, an empty newText, and in place of
// a character anything but a character of code page 936 or an ASCII
// symbol, are LengthMismatch. NothingSelected and LengthMismatch change
// nothing.
ReplaceResult ReplaceChar(CharList& list, ByteStringView newText, ArtArea& area);

// ReplaceChar for art still to be made: the list changes at once, as
// ReplaceChar changes it, and each byte of the art is replaced as it passes
// (ReplacingSink), by every replacement in turn. A replacement of or by a
// character cannot be made byte by byte: it is left to ReplaceChar on the
// whole art (AsItPasses).
class ByteReplacements {
 public:
  ByteReplacements();
  // As ReplaceChar for the list; the replacement of the art's bytes is kept
  // for the art to come.
  ReplaceResult Add(CharList& list, ByteStringView newText);
  // Whether the art can be replaced as it passes: no replacement makes or
  // takes a byte of a line break, which in the whole art would join or
  // split its lines, and none is of or by a character.
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
