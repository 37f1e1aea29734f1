#pragma once

namespace morvexa {

// The block elements art is drawn with, by what they ink of their cell.

// By the quarters inked: top left 1, top right 2, bottom left 4, bottom
// right 8 (the space and the full block among them).
inline constexpr char32_t kByQuarters[16] = {U' ', U'▘', U'▝', U'▀', U'▖', U'▌', U'▞', U'▛',
                                             U'▗', U'▚', U'▐', U'▜', U'▄', U'▙', U'▟', U'█'};
// The lower eighths, by how many eighths from the bottom (0: none).
inline constexpr char32_t kLowerEighths[9] = {0, U'▁', U'▂', U'▃', U'▄', U'▅', U'▆', U'▇', U'█'};
// The left eighths, by how many eighths from the left (0: none).
inline constexpr char32_t kLeftEighths[8] = {0, U'▏', U'▎', U'▍', U'▌', U'▋', U'▊', U'▉'};

// Whether block element (a character of the above) inks the sample at
// column x, row y of a cell seen as wide x high samples: its geometry.
bool BlockInks(char32_t element, int x, int y, int wide, int high);

}  // namespace morvexa
