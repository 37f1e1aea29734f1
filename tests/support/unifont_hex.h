#pragma once

// GNU Unifont as the Debian package installs it, read here on its own, apart
// from the copy built into the program, and the code page 936 codes of
// characters asked of glibc's iconv.
#include <iconv.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <map>
#include <optional>
#include <string>

namespace morvexa::testing_support {

inline constexpr const char* kUnifontHex = "/usr/share/unifont/unifont.hex";
inline constexpr const char* kUnifontCombining = "/usr/share/unifont/plane00-combining.txt";

// A glyph of 8 or 16 columns and 16 rows; bit 15 of a row is its leftmost
// pixel.
struct HexGlyph {
  int width = 0;
  std::array<std::uint16_t, 16> rows{};

  bool Inked(int x, int y) const { return (rows[static_cast<std::size_t>(y)] & (0x8000u >> x)) != 0; }
};

using HexFont = std::map<char32_t, HexGlyph>;

// Every glyph of unifont.hex; nothing when it is not installed.
inline std::optional<HexFont> ReadUnifontHex() {
  std::ifstream in(kUnifontHex);
  if (!in) return {};
  HexFont font;
  std::string line;
  while (std::getline(in, line)) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string bits = line.substr(colon + 1);
    HexGlyph glyph;
    glyph.width = bits.size() == 64 ? 16 : 8;
    const std::size_t digits = bits.size() / 16;
    for (std::size_t r = 0; r < 16; ++r) {
      const auto row = static_cast<std::uint16_t>(std::stoul(bits.substr(r * digits, digits), nullptr, 16));
      glyph.rows[r] = glyph.width == 16 ? row : static_cast<std::uint16_t>(row << 8);
    }
    font[static_cast<char32_t>(std::stoul(line.substr(0, colon), nullptr, 16))] = glyph;
  }
  return font;
}

// Unifont's combining characters and their offsets.
inline std::map<char32_t, int> ReadUnifontCombining() {
  std::ifstream in(kUnifontCombining);
  std::map<char32_t, int> marks;
  std::string line;
  while (std::getline(in, line)) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    marks[static_cast<char32_t>(std::stoul(line.substr(0, colon), nullptr, 16))] = std::stoi(line.substr(colon + 1));
  }
  return marks;
}

// The bytes of c in code page 936, by iconv; empty when it cannot hold c.
inline std::string Cp936Bytes(char32_t c) {
  const iconv_t cd = iconv_open("CP936", "WCHAR_T");
  wchar_t in[1] = {static_cast<wchar_t>(c)};
  char out[8];
  char* inPtr = reinterpret_cast<char*>(in);
  char* outPtr = out;
  std::size_t inLeft = sizeof in, outLeft = sizeof out;
  const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1)) return {};
  return std::string(out, outPtr);
}

// Whether c is a character of GB2312's own table in code page 936 (the
// user-defined zones 0xAA-0xAF and the private use area aside).
inline bool IsGb2312(char32_t c) {
  const std::string bytes = Cp936Bytes(c);
  if (bytes.size() != 2 || (c >= 0xE000 && c <= 0xF8FF)) return false;
  const auto lead = static_cast<unsigned char>(bytes[0]), trail = static_cast<unsigned char>(bytes[1]);
  return lead >= 0xA1 && lead <= 0xF7 && !(lead >= 0xAA && lead <= 0xAF) && trail >= 0xA1 && trail <= 0xFE;
}

}  // namespace morvexa::testing_support
