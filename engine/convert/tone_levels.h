#pragma once

#include <array>
#include <cstdint>

#include "pixels/picture_reader.h"

namespace morvexa {

// How the tones of a picture are drawn with ink that can only be so dark
// (the densest symbol of a font covers a quarter of its cell): a levels
// stretch. The picture's lumas from its 5th to its 95th percentile (of its
// cells) are spread over the whole range, and of that range the lightest
// tenth is clean paper, so that a light wall stays blank; the rest runs
// evenly from no ink to the most. The art of text follows the tones of the
// picture as a straight line, as the eye compares them from afar.
class ToneLevels {
 public:
  // The levels of the picture, from a pass over every pixel of it (its
  // cells, when it is sized to them).
  static ToneLevels Of(PictureReader& cells);

  // The share of ink (0 none, 1 the most) that a luma (0-255, see
  // Brightness) takes: dark ink on light paper; with invert, light ink on
  // dark paper, the lightest tones taking the most.
  float Ink(float luma, bool invert) const;

  float Low() const { return low_; }
  float High() const { return high_; }

 private:
  float low_ = 0, high_ = 255;  // the lumas stretched to black and to white
};

}  // namespace morvexa
