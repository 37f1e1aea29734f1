#include "morvexa/banner_filters.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>

namespace morvexa {

namespace {

using Pairs = std::u32string_view;

// Characters and their mirrors left to right, two by two.
constexpr Pairs kMirrored =
    U"()[]{}<>/\\bdpq\u2190\u2192\u250C\u2510\u2514\u2518\u251C\u2524\u256D\u256E\u2570\u256F\u258C\u2590"
    U"\u2596\u2597\u2598\u259D\u2599\u259F\u259B\u259C\u259A\u259E\u2571\u2572\u250F\u2513\u2517\u251B\u2523"
    U"\u252B\u2554\u2557\u255A\u255D\u2560\u2563";
// ... top to bottom.
constexpr Pairs kUpsideDown =
    U"/\\^vbpdqMWnu'.\u2191\u2193\u250C\u2514\u2510\u2518\u252C\u2534\u256D\u2570\u256E\u256F\u2580\u2584"
    U"\u2596\u2598\u2597\u259D\u2599\u259B\u259F\u259C\u259A\u259E\u2571\u2572\u250F\u2517\u2513\u251B\u2533"
    U"\u253B\u2554\u255A\u2557\u255D\u2566\u2569";
// ... turned a quarter round to the left (counterclockwise): each to the
// next of its four, or its two.
constexpr std::array<Pairs, 10> kTurnedLeft = {
    U"-|",
    U"_|",
    U"/\\",
    U"\u2500\u2502",
    U"\u2501\u2503",
    U"\u2550\u2551",
    U"\u2580\u258C\u2584\u2590",
    U"\u250C\u2514\u2518\u2510",
    U"\u251C\u2534\u2524\u252C",
    U"<v>^",
};

char32_t Paired(Pairs pairs, char32_t c) {
  for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
    if (pairs[i] == c) return pairs[i + 1];
    if (pairs[i + 1] == c) return pairs[i];
  }
  return c;
}

// c turned a quarter round, left (counterclockwise) or right.
char32_t Turned(char32_t c, bool left) {
  for (const Pairs cycle : kTurnedLeft) {
    const std::size_t at = cycle.find(c);
    if (at == Pairs::npos) continue;
    // Of two, the other ("|" turns back to "-", the first of its cycles).
    if (cycle.size() == 2) return cycle[1 - at];
    return cycle[(at + (left ? 1 : cycle.size() - 1)) % cycle.size()];
  }
  return c;
}

std::size_t Widest(const ColoredLines& banner) {
  std::size_t widest = 0;
  for (const std::u32string& line : banner.lines) widest = std::max(widest, line.size());
  return widest;
}

// Every line as wide as the widest, blanks in no color after.
void Even(ColoredLines& banner, std::size_t width) {
  for (std::size_t y = 0; y < banner.lines.size(); ++y) {
    banner.lines[y].resize(width, U' ');
    banner.colors[y].resize(width, kNoColor);
  }
}

void Crop(ColoredLines& banner) {
  const auto blank = [](const std::u32string& line) {
    return std::all_of(line.begin(), line.end(), [](char32_t c) { return c == U' '; });
  };
  while (!banner.lines.empty() && blank(banner.lines.back())) banner.lines.pop_back(), banner.colors.pop_back();
  std::size_t top = 0;
  while (top < banner.lines.size() && blank(banner.lines[top])) ++top;
  banner.lines.erase(banner.lines.begin(), banner.lines.begin() + static_cast<std::ptrdiff_t>(top));
  banner.colors.erase(banner.colors.begin(), banner.colors.begin() + static_cast<std::ptrdiff_t>(top));
  std::size_t left = std::u32string::npos, right = 0;
  for (const std::u32string& line : banner.lines) {
    const std::size_t first = line.find_first_not_of(U' ');
    if (first == std::u32string::npos) continue;
    left = std::min(left, first);
    right = std::max(right, line.find_last_not_of(U' ') + 1);
  }
  if (left == std::u32string::npos) left = 0;
  for (std::size_t y = 0; y < banner.lines.size(); ++y) {
    std::u32string& line = banner.lines[y];
    std::vector<Rgb>& colors = banner.colors[y];
    line.resize(std::max(line.size(), right), U' '), colors.resize(line.size(), kNoColor);
    line = line.substr(left, right - left);
    colors = std::vector<Rgb>(colors.begin() + static_cast<std::ptrdiff_t>(left),
                              colors.begin() + static_cast<std::ptrdiff_t>(right));
  }
}

void Flip(ColoredLines& banner) {
  Even(banner, Widest(banner));
  for (std::size_t y = 0; y < banner.lines.size(); ++y) {
    std::reverse(banner.lines[y].begin(), banner.lines[y].end());
    std::reverse(banner.colors[y].begin(), banner.colors[y].end());
    for (char32_t& c : banner.lines[y]) c = Paired(kMirrored, c);
  }
}

void Flop(ColoredLines& banner) {
  Even(banner, Widest(banner));
  std::reverse(banner.lines.begin(), banner.lines.end());
  std::reverse(banner.colors.begin(), banner.colors.end());
  for (std::u32string& line : banner.lines) {
    for (char32_t& c : line) c = Paired(kUpsideDown, c);
  }
}

// Turned a quarter round: the banner seen as cells two columns wide and a
// line high (square on a terminal), the grid of cells turned, each cell's
// two characters kept side by side, each turned.
void Turn(ColoredLines& banner, bool left) {
  std::size_t width = Widest(banner);
  width += width % 2;
  Even(banner, width);
  const std::size_t cellsAcross = width / 2, high = banner.lines.size();
  ColoredLines turned;
  turned.lines.assign(cellsAcross, std::u32string(2 * high, U' '));
  turned.colors.assign(cellsAcross, std::vector<Rgb>(2 * high, kNoColor));
  for (std::size_t y = 0; y < high; ++y) {
    for (std::size_t cell = 0; cell < cellsAcross; ++cell) {
      // Left: the last column of cells becomes the first line, the first
      // line the first column; right: the first column the first line,
      // the last line the first column.
      const std::size_t toY = left ? cellsAcross - 1 - cell : cell;
      const std::size_t toCell = left ? y : high - 1 - y;
      for (std::size_t half = 0; half < 2; ++half) {
        turned.lines[toY][2 * toCell + half] = Turned(banner.lines[y][2 * cell + half], left);
        turned.colors[toY][2 * toCell + half] = banner.colors[y][2 * cell + half];
      }
    }
  }
  banner = std::move(turned);
}

// A line of width columns between two characters: left, fill, right.
std::u32string Between(char32_t left, const std::u32string& middle, char32_t right) {
  std::u32string line(1, left);
  line.append(middle).push_back(right);
  return line;
}

void Border(ColoredLines& banner) {
  const std::size_t width = Widest(banner);
  Even(banner, width);
  for (std::size_t y = 0; y < banner.lines.size(); ++y) {
    banner.lines[y] = Between(U'\u2502', banner.lines[y], U'\u2502');
    banner.colors[y].insert(banner.colors[y].begin(), kNoColor);
    banner.colors[y].push_back(kNoColor);
  }
  const std::u32string rule(width, U'\u2500');
  banner.lines.insert(banner.lines.begin(), Between(U'\u250C', rule, U'\u2510'));
  banner.lines.push_back(Between(U'\u2514', rule, U'\u2518'));
  banner.colors.insert(banner.colors.begin(), std::vector<Rgb>(width + 2, kNoColor));
  banner.colors.push_back(std::vector<Rgb>(width + 2, kNoColor));
}

// Each character that is not blank a color of palette: the bands run
// across, each line a step on, each step columns wide.
void Paint(ColoredLines& banner, std::span<const Rgb> palette, std::size_t columns, std::size_t linesPerStep) {
  for (std::size_t y = 0; y < banner.lines.size(); ++y) {
    for (std::size_t x = 0; x < banner.lines[y].size(); ++x) {
      if (banner.lines[y][x] == U' ') continue;
      banner.colors[y][x] = palette[(x / columns + y / linesPerStep) % palette.size()];
    }
  }
}

constexpr Rgb kRainbow[] = {0xFF55FF, 0xFF5555, 0xFFFF55, 0x55FF55, 0x55FFFF, 0x5555FF};
constexpr Rgb kMetal[] = {0x5555FF, 0x0000AA, 0xAAAAAA, 0x555555};

struct Filter {
  std::string_view name;
  void (*apply)(ColoredLines& banner);
};
constexpr Filter kFilters[] = {
    {"crop", Crop},
    {"flip", Flip},
    {"flop", Flop},
    {"180", [](ColoredLines& b) { Flip(b), Flop(b); }},
    {"left", [](ColoredLines& b) { Turn(b, true); }},
    {"right", [](ColoredLines& b) { Turn(b, false); }},
    {"border", Border},
    {"rainbow", [](ColoredLines& b) { Paint(b, kRainbow, 2, 1); }},
    {"gay", [](ColoredLines& b) { Paint(b, kRainbow, 2, 1); }},
    {"metal", [](ColoredLines& b) { Paint(b, kMetal, 8, 2); }},
};

const Filter* Find(std::string_view name) {
  for (const Filter& filter : kFilters) {
    if (filter.name == name) return &filter;
  }
  return nullptr;
}

// Calls each with the names of names, "a:b:c".
template <typename Each>
void EachName(std::string_view names, Each each) {
  while (true) {
    const std::size_t colon = names.find(':');
    each(names.substr(0, colon));
    if (colon == std::string_view::npos) return;
    names.remove_prefix(colon + 1);
  }
}

}  // namespace

ColoredLines ColoredLines::Plain(std::vector<std::u32string> lines) {
  ColoredLines banner;
  for (const std::u32string& line : lines) banner.colors.emplace_back(line.size(), kNoColor);
  banner.lines = std::move(lines);
  return banner;
}

std::optional<std::string> UnknownFilter(std::string_view names) {
  std::optional<std::string> unknown;
  EachName(names, [&](std::string_view name) {
    if (!unknown && !Find(name)) unknown = std::string(name);
  });
  return unknown;
}

std::string FilterNames() {
  std::string names;
  for (const Filter& filter : kFilters) names += (names.empty() ? "" : ", ") + std::string(filter.name);
  return names;
}

ColoredLines Filtered(ColoredLines banner, std::string_view names) {
  EachName(names, [&](std::string_view name) {
    if (const Filter* filter = Find(name)) filter->apply(banner);
  });
  return banner;
}

}  // namespace morvexa
