#include "morvexa/picture_arguments.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace morvexa {

namespace {

// The whole of text as a number, read the same in every locale; nothing
// when it is not one.
template <typename Number, typename... Base>
std::optional<Number> Read(std::string_view text, Base... base) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base...);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return {};
  return value;
}

}  // namespace

std::optional<double> Number(std::string_view text, double least, double most) {
  const auto value = Read<double>(text);
  if (!value || !(*value >= least && *value <= most)) return {};
  return value;
}

std::optional<std::size_t> WholeNumber(std::string_view text, std::size_t least, std::size_t most) {
  const auto value = Read<std::size_t>(text);
  if (!value || *value < least || *value > most) return {};
  return value;
}

std::string QuotedValue(std::string_view value) {
  std::string out = "\"";
  for (const char c : value) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20 || b == 0x7F) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::optional<Rgb> ParseColor(std::string_view text) {
  static constexpr std::pair<std::string_view, Rgb> kNames[] = {
      {"black", 0x000000},  {"white", 0xFFFFFF}, {"red", 0xFF0000},     {"green", 0x008000}, {"blue", 0x0000FF},
      {"yellow", 0xFFFF00}, {"cyan", 0x00FFFF},  {"magenta", 0xFF00FF}, {"gray", 0x808080},  {"grey", 0x808080}};
  for (const auto& [name, rgb] : kNames) {
    if (text == name) return rgb;
  }
  if (text.starts_with('#')) text.remove_prefix(1);
  if ((text.size() != 6 && text.size() != 3) ||
      text.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos) {
    return {};
  }
  const Rgb value = *Read<Rgb>(text, 16);
  if (text.size() == 6) return value;
  // #RGB: each digit twice.
  return (value >> 8 & 0xF) * 0x110000 + (value >> 4 & 0xF) * 0x1100 + (value & 0xF) * 0x11;
}

}  // namespace morvexa
