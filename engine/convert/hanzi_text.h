#pragma once

#include "morvexa/byte_string.h"

namespace morvexa {

// The characters of a text as they are laid through a picture, one a cell
// of two columns, in reading order (code page 936, two bytes each):
//  - spaces, tabs, line breaks and the full-width space are skipped, as a
//    reader of a poem skips them: the picture's paper stands for them;
//  - punctuation is kept where it is, a character of the text like the
//    others (，。、！？ and the rest);
//  - a printable ASCII character becomes its full-width form (A becomes Ａ,
//    ! becomes ！), two columns as every cell is;
//  - bytes that are not a character of code page 936 are skipped.
// Empty when the text has no character left.
ByteString LaidText(ByteStringView text);

}  // namespace morvexa
