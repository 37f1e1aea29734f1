#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace morvexa {

// The columns and lines of a piece of art.
struct ArtSize {
  std::size_t columns = 0;
  std::size_t lines = 0;

  // columns x lines, or the most a 64-bit count holds past that.
  std::uint64_t Symbols() const {
    std::uint64_t symbols = 0;
    return __builtin_mul_overflow(std::uint64_t{columns}, std::uint64_t{lines}, &symbols) ? ~std::uint64_t{0} : symbols;
  }
};

// The most symbols art may have, whatever made it: as many as a picture may
// have pixels.
inline constexpr std::uint64_t kMostArtSymbols = std::uint64_t{1} << 28;

// Art that would have more symbols than kMostArtSymbols: refused before
// anything of it is made. what() tells how large it would be, as the
// programs show it.
class ArtTooLarge : public std::length_error {
 public:
  // symbols: how many the art would have (at least, when atLeast); size: its
  // widest line and its lines.
  ArtTooLarge(std::uint64_t symbols, ArtSize size, bool atLeast = false);
};

// A picture of more pixels than may be read (ReadSettings::maxPixels), or
// with a side longer than ReadSettings::kMaxSide: refused from its headers,
// before anything of it is decoded. what() tells how large it is, as the
// programs show it.
class PictureTooLarge : public std::length_error {
 public:
  PictureTooLarge(std::uint64_t width, std::uint64_t height, std::uint64_t mostPixels, std::uint64_t mostSide);
};

}  // namespace morvexa
