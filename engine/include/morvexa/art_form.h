#pragma once

namespace morvexa {

// The forms art leaves the program in.
enum class ArtForm {
  Gbk,   // the art text itself: code page 936, each line followed by CR LF
  Utf8,  // the same art as UTF-8, each line followed by LF
  Html,  // one self-contained page, the art in a <pre>, runs of a color in a <span>
  Ansi,  // UTF-8 with the terminal's color escapes, reset at each line's end
};

// Whether a form shows the colors of the cells, so that they are worth
// working out.
constexpr bool ShowsColors(ArtForm form) { return form == ArtForm::Html || form == ArtForm::Ansi; }

}  // namespace morvexa
