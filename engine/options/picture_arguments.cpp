#include "morvexa/picture_arguments.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace morvexa {

namespace {

constexpr std::size_t kMostCells = std::size_t{1} << 20;
constexpr std::size_t kMostFrames = 1000000;

constexpr std::array kOptions = {
    PictureOption{"width", ValueTaken::Needed, ValueKind::Whole, 0, kMostCells},
    PictureOption{"height", ValueTaken::Needed, ValueKind::Whole, 0, kMostCells},
    PictureOption{"aspect", ValueTaken::Needed, ValueKind::Number, 0.01, 100},
    PictureOption{"colors", ValueTaken::Needed, ValueKind::Whole, 2, PictureOptions::kMostColors},
    PictureOption{"dither", ValueTaken::None, ValueKind::Flag},
    PictureOption{"ramp", ValueTaken::Optional, ValueKind::Ramp},
    PictureOption{"invert", ValueTaken::None, ValueKind::Flag},
    PictureOption{"shapes", ValueTaken::None, ValueKind::Flag},
    PictureOption{"fill", ValueTaken::None, ValueKind::Flag},
    PictureOption{"blocks", ValueTaken::Optional, ValueKind::Blocks},
    PictureOption{"background", ValueTaken::Needed, ValueKind::Color, 0, 0, false},
    PictureOption{"frame", ValueTaken::Needed, ValueKind::Whole, 1, kMostFrames},
};

// The whole of text as a number, read the same in every locale; nothing
// when it is not one.
template <typename Number, typename... Base>
std::optional<Number> Read(std::string_view text, Base... base) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base...);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return {};
  return value;
}

std::string Figure(double value) {
  std::array<char, 32> text{};
  // Whole numbers in full (1000000, not 1e+06).
  const auto result = value == std::floor(value) && std::abs(value) < 1e15
                          ? std::to_chars(text.data(), text.data() + text.size(), static_cast<long long>(value))
                          : std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), result.ptr);
}

}  // namespace

std::span<const PictureOption> PictureOptionList() { return kOptions; }

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

std::string AllowedValue(const PictureOption& option) {
  switch (option.kind) {
    case ValueKind::Flag: return {};
    case ValueKind::Whole: return "a whole number from " + Figure(option.least) + " to " + Figure(option.most);
    case ValueKind::Number: return "a number from " + Figure(option.least) + " to " + Figure(option.most);
    case ValueKind::Ramp: return "at least two printable ASCII symbols";
    case ValueKind::Color: return "a color: #RRGGBB, #RGB or a name such as white";
    case ValueKind::Blocks: return "quadrants, fine or braille";
  }
  return {};
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

std::string TakePictureOption(const PictureOption& option, std::string_view shown,
                              std::optional<std::string_view> value, PictureRequest& request) {
  const std::string_view text = value.value_or("");
  const std::string bad = std::string(shown) + ": " + QuotedValue(text) + " is not " + AllowedValue(option);
  DrawingRequest& drawing = request.drawing;
  PictureOptions& picture = request.options;
  switch (option.kind) {
    case ValueKind::Flag:
      if (option.name == "dither") drawing.dither = true;
      if (option.name == "invert") drawing.invert = true;
      if (option.name == "shapes") drawing.shapes = true;
      if (option.name == "fill") drawing.fill = true;
      return {};
    case ValueKind::Whole: {
      const auto n = WholeNumber(text, static_cast<std::size_t>(option.least), static_cast<std::size_t>(option.most));
      if (!n) return bad;
      if (option.name == "width") picture.width = *n;
      if (option.name == "height") picture.height = *n;
      if (option.name == "colors") drawing.colors = static_cast<int>(*n);
      if (option.name == "frame") request.frame = *n;
      return {};
    }
    case ValueKind::Number: {
      const auto n = Number(text, option.least, option.most);
      if (!n) return bad;
      picture.aspect = *n;
      return {};
    }
    case ValueKind::Ramp: {
      const std::string_view ramp = value ? text : kDefaultRamp;
      if (ramp.size() < 2 || std::any_of(ramp.begin(), ramp.end(), [](char c) { return c < ' ' || c > '~'; })) {
        return bad;
      }
      drawing.ramp = ByteString(ramp);
      return {};
    }
    case ValueKind::Color: {
      const auto color = ParseColor(text);
      if (!color) return bad;
      request.background = *color;
      return {};
    }
    case ValueKind::Blocks:
      if (!value || text == "quadrants") {
        drawing.blocks = BlockKind::Quadrants;
      } else if (text == "fine") {
        drawing.blocks = BlockKind::Fine;
      } else if (text == "braille") {
        drawing.blocks = BlockKind::Braille;
      } else {
        return bad;
      }
      return {};
  }
  return bad;
}

}  // namespace morvexa
