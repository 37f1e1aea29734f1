#pragma once

// The pictures of the picture benchmarks, as BMP files of any side:
//  - "photo": 24-bit, smooth gradients with a little noise, well over
//    100,000 distinct colors;
//  - "four": 24-bit, four colors in bands;
//  - "paletted": 8-bit, 256 palette colors in gradients with noise;
//  - "rle8": the same picture run-length compressed (mostly runs).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace morvexa::bench {

inline constexpr unsigned kBenchSide = 4096;
inline const std::vector<std::string> kBenchKinds = {"photo", "four", "paletted", "rle8"};

inline std::vector<unsigned char> BenchBmp(const std::string& kind, unsigned side = kBenchSide) {
  const bool paletted = kind == "paletted" || kind == "rle8";
  const unsigned bpp = paletted ? 8 : 24;
  const std::size_t stride = (static_cast<std::size_t>(side) * bpp / 8 + 3) / 4 * 4;
  const std::uint32_t headers = 54 + (paletted ? 1024 : 0);
  std::vector<unsigned char> file(headers);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) file[at + k] = static_cast<unsigned char>(v >> (8 * k));
  };
  file[0] = 'B', file[1] = 'M';
  put32(10, headers), put32(14, 40), put32(18, side), put32(22, side);
  file[26] = 1, file[28] = static_cast<unsigned char>(bpp);
  if (kind == "rle8") put32(30, 1);
  for (unsigned i = 0; paletted && i < 256; ++i) {
    file[54 + 4 * i] = static_cast<unsigned char>(i), file[55 + 4 * i] = static_cast<unsigned char>(255 - i);
    file[56 + 4 * i] = static_cast<unsigned char>(i * 7);
  }
  std::uint32_t noise = 12345;
  std::vector<unsigned char> row(stride);
  for (unsigned y = 0; y < side; ++y) {
    for (unsigned x = 0; x < side; ++x) {
      noise = noise * 1103515245 + 12345;
      if (kind == "four") {
        const unsigned band = (x / 512 + y / 512) % 4;
        row[3 * x] = band & 1 ? 255 : 0, row[3 * x + 1] = band & 2 ? 255 : 0, row[3 * x + 2] = 128;
      } else if (kind == "photo") {
        row[3 * x] = static_cast<unsigned char>((x + y) * 128 / side + (noise >> 16 & 3));
        row[3 * x + 1] = static_cast<unsigned char>(y * 256 / side + (noise >> 18 & 3));
        row[3 * x + 2] = static_cast<unsigned char>(x * 256 / side + (noise >> 20 & 3));
      } else if (kind == "paletted") {
        row[x] = static_cast<unsigned char>((x + y) * 256 / (2 * side) + (noise >> 16 & 7));
      } else {
        row[x] = static_cast<unsigned char>((x / 64 + y / 64) % 256);  // runs of 64
      }
    }
    if (kind != "rle8") {
      file.insert(file.end(), row.begin(), row.end());
      continue;
    }
    for (unsigned x = 0; x < side;) {
      unsigned run = 1;
      while (x + run < side && run < 255 && row[x + run] == row[x]) ++run;
      file.push_back(static_cast<unsigned char>(run)), file.push_back(row[x]);
      x += run;
    }
    file.push_back(0), file.push_back(0);  // end of line
  }
  if (kind == "rle8") {
    file.push_back(0), file.push_back(1);  // end of bitmap
    put32(34, static_cast<std::uint32_t>(file.size() - headers));
  }
  put32(2, static_cast<std::uint32_t>(file.size()));
  return file;
}

// A bench picture as a file, written once per run into a temporary folder
// that is removed at exit.
inline const std::filesystem::path& BenchBmpFile(const std::string& kind, unsigned side = kBenchSide) {
  namespace fs = std::filesystem;
  static const fs::path dir = [] {
    const fs::path d = fs::temp_directory_path() / ("morvexa-bench-" + std::to_string(getpid()));
    fs::create_directories(d);
    std::atexit([] { fs::remove_all(fs::temp_directory_path() / ("morvexa-bench-" + std::to_string(getpid()))); });
    return d;
  }();
  static std::map<std::string, fs::path> files;
  const std::string name = kind + "-" + std::to_string(side) + ".bmp";
  auto [it, added] = files.emplace(name, dir / name);
  if (added) {
    const auto bytes = BenchBmp(kind, side);
    std::ofstream(it->second, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  return it->second;
}

}  // namespace morvexa::bench
