#include "convert/block_elements.h"

namespace morvexa {

bool BlockInks(char32_t element, int x, int y, int wide, int high) {
  for (int quarters = 0; quarters < 16; ++quarters) {
    if (kByQuarters[quarters] != element) continue;
    const int quarter = (2 * y >= high ? 4 : 1) << (2 * x >= wide ? 1 : 0);
    return (quarters & quarter) != 0;
  }
  for (int k = 1; k <= 8; ++k) {
    if (kLowerEighths[k] == element) return 8 * y >= (8 - k) * high;
  }
  for (int k = 1; k < 8; ++k) {
    if (kLeftEighths[k] == element) return 8 * x < k * wide;
  }
  return false;
}

}  // namespace morvexa
