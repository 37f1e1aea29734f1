#pragma once

// The pictures of the picture benchmarks, as 24-bit BMP files.
#include <cstdint>
#include <string>
#include <vector>

namespace morvexa::bench {

inline constexpr unsigned kBenchSide = 4096;

// A square 24-bit picture. "photo": smooth gradients with a little noise,
// well over 100,000 distinct colors; "four": four colors in bands.
inline std::vector<unsigned char> BenchBmp(const std::string& kind, unsigned side = kBenchSide) {
  const unsigned stride = side * 3;
  std::vector<unsigned char> file(54 + static_cast<std::size_t>(stride) * side);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) file[at + k] = static_cast<unsigned char>(v >> (8 * k));
  };
  file[0] = 'B', file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(file.size()));
  put32(10, 54), put32(14, 40), put32(18, side), put32(22, side);
  file[26] = 1, file[28] = 24;
  std::uint32_t noise = 12345;
  for (unsigned y = 0; y < side; ++y) {
    unsigned char* p = file.data() + 54 + static_cast<std::size_t>(y) * stride;
    for (unsigned x = 0; x < side; ++x, p += 3) {
      if (kind == "four") {
        const unsigned band = (x / 512 + y / 512) % 4;
        p[0] = band & 1 ? 255 : 0, p[1] = band & 2 ? 255 : 0, p[2] = 128;
      } else {
        noise = noise * 1103515245 + 12345;
        p[0] = static_cast<unsigned char>((x + y) * 128 / side + (noise >> 16 & 3));
        p[1] = static_cast<unsigned char>(y * 256 / side + (noise >> 18 & 3));
        p[2] = static_cast<unsigned char>(x * 256 / side + (noise >> 20 & 3));
      }
    }
  }
  return file;
}

}  // namespace morvexa::bench
