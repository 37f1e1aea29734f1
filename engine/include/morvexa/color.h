#pragma once

#include <cstdint>

namespace morvexa {

// A color as 0xRRGGBB.
using Rgb = std::uint32_t;

// No color: above every 24-bit color.
inline constexpr Rgb kNoColor = 0xFF000000;

}  // namespace morvexa
