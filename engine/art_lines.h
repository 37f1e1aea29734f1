#pragma once

#include <vector>

#include "byte_string.h"

namespace morvexa {

// The lines of a piece of art, without line terminators.
using ArtLines = std::vector<ByteString>;

inline constexpr ByteStringView kLineBreak = "\r\n";

// The art text: each line followed by CR LF.
ByteString JoinArtText(const ArtLines& lines);

// The lines of an art text, split at each CR LF. A final empty piece after
// the last CR LF is not a line; a final piece without CR LF is. Lone CR and
// LF bytes stay inside their line.
ArtLines SplitArtText(ByteStringView text);

}  // namespace morvexa
