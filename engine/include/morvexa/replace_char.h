#pragma once

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

}  // namespace morvexa
