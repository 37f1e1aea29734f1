#include "morvexa/art_size.h"

namespace morvexa {

namespace {

std::string Told(std::uint64_t symbols, ArtSize size, bool atLeast) {
  return std::string("The art would have ") + (atLeast ? "at least " : "") + std::to_string(symbols) + " symbols (" +
         std::to_string(size.columns) + " columns by " + std::to_string(size.lines) + " lines), more than the " +
         std::to_string(kMostArtSymbols) + " it may have.";
}

std::string Told(std::uint64_t width, std::uint64_t height, std::uint64_t mostPixels, std::uint64_t mostSide) {
  const std::string size = " (" + std::to_string(width) + " by " + std::to_string(height) + "), more than the ";
  if (width > mostSide || height > mostSide) {
    const bool wide = width > mostSide;
    return "The picture is " + std::to_string(wide ? width : height) + " pixels " + (wide ? "wide" : "high") + size +
           std::to_string(mostSide) + " a side may have.";
  }
  return "The picture has " + std::to_string(width * height) + " pixels" + size + std::to_string(mostPixels) +
         " it may have.";
}

}  // namespace

ArtTooLarge::ArtTooLarge(std::uint64_t symbols, ArtSize size, bool atLeast)
    : std::length_error(Told(symbols, size, atLeast)) {}

PictureTooLarge::PictureTooLarge(std::uint64_t width, std::uint64_t height, std::uint64_t mostPixels,
                                 std::uint64_t mostSide)
    : std::length_error(Told(width, height, mostPixels, mostSide)) {}

}  // namespace morvexa
