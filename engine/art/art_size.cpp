#include "morvexa/art_size.h"

namespace morvexa {

namespace {

std::string Told(std::uint64_t symbols, ArtSize size, bool atLeast) {
  return std::string("The art would have ") + (atLeast ? "at least " : "") + std::to_string(symbols) + " symbols (" +
         std::to_string(size.columns) + " columns by " + std::to_string(size.lines) + " lines), more than the " +
         std::to_string(kMostArtSymbols) + " it may have.";
}

}  // namespace

ArtTooLarge::ArtTooLarge(std::uint64_t symbols, ArtSize size, bool atLeast)
    : std::length_error(Told(symbols, size, atLeast)) {}

}  // namespace morvexa
