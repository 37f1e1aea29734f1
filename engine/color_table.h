#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

#include "pixel_image.h"

namespace morvexa {

// The distinct colors met in one picture conversion, numbered in the
// order in which they were first met.
//
// Color number i draws as the symbol code 32 + i up to 126 and as 33 ("!")
// from number 95 on, so the table keeps, for each of the 2^24 colors, the
// symbol of its number (0 for a color not met yet): a lookup costs the same
// whether the picture has four colors or a million. The 16 MiB are zeroed
// lazily by the system, page by page, as colors are met.
class ColorTable {
 public:
  ColorTable();

  // The symbol of color number i.
  static constexpr unsigned char SymbolOf(std::size_t i) {
    return i + 32 <= 126 ? static_cast<unsigned char>(32 + i) : 33;
  }

  // The symbol of c, or 0 when c has not been met.
  unsigned char Find(Rgb c) const { return symbols_.get()[c & 0xFFFFFF]; }
  // Appends c, which has not been met, with the next number; returns its symbol.
  unsigned char Add(Rgb c);
  // How many colors have been met.
  std::size_t Size() const { return size_; }

 private:
  struct Free {
    void operator()(unsigned char* p) const { std::free(p); }
  };
  std::unique_ptr<unsigned char, Free> symbols_;
  std::size_t size_ = 0;
};

}  // namespace morvexa
