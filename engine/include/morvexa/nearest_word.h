#pragma once

// What a mistyped word on a command line was most likely meant to be, for
// both programs' "did you mean" hints.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvexa {

// How many edits (a character added, taken away, changed, or two
// neighbours swapped) make a into b.
std::size_t EditDistance(std::string_view a, std::string_view b);

// The candidate nearest word, when it is near enough to be what was meant:
// at most two edits, and fewer than half the longer word's length; the
// first of those equally near.
std::optional<std::string> NearestWord(std::string_view word, const std::vector<std::string>& candidates);

}  // namespace morvexa
