#include "cli_terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace morvexa::cli {

// The number of colors of the terminal's terminfo entry, or 0 (see
// terminfo_colors.cpp, which alone sees the terminfo header).
int TerminfoColors();

namespace {

std::size_t FromEnvironment(const char* name) {
  const char* text = std::getenv(name);
  if (!text) return 0;
  const std::string_view value(text);
  std::size_t number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  return error == std::errc() && end == value.data() + value.size() ? number : 0;
}

}  // namespace

std::optional<TerminalSize> StandardOutputTerminal() {
  if (!isatty(STDOUT_FILENO)) return {};
  TerminalSize size;
  winsize window{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &window) == 0) size = {window.ws_col, window.ws_row};
  if (size.columns == 0) size.columns = FromEnvironment("COLUMNS");
  if (size.rows == 0) size.rows = FromEnvironment("LINES");
  if (size.columns == 0) size.columns = 80;
  if (size.rows == 0) size.rows = 24;
  return size;
}

TerminalColors TerminalPalette() {
  // Asked of the environment and terminfo once a run.
  static const TerminalColors palette = [] {
    const char* colorTerm = std::getenv("COLORTERM");
    const std::string_view said = colorTerm ? colorTerm : "";
    if (said == "truecolor" || said == "24bit") return TerminalColors::TrueColor;
    const int colors = TerminfoColors();
    if (colors >= 8 && colors <= 16) return TerminalColors::Palette16;
    if (colors > 256) return TerminalColors::TrueColor;
    return TerminalColors::Palette256;
  }();
  return palette;
}

std::optional<bool> TerminalBackgroundDark() {
  // "FOREGROUND;BACKGROUND" (or with a middle field), as palette indices.
  const char* text = std::getenv("COLORFGBG");
  if (!text) return {};
  const std::string_view value(text);
  const std::size_t semicolon = value.rfind(';');
  if (semicolon == std::string_view::npos) return {};
  const std::string_view background = value.substr(semicolon + 1);
  int index = 0;
  const auto [end, error] = std::from_chars(background.data(), background.data() + background.size(), index);
  if (error != std::errc() || end != background.data() + background.size() || index < 0 || index > 15) return {};
  // The dark ones of the 16: black, the six plain colors, dark gray.
  return index <= 6 || index == 8;
}

}  // namespace morvexa::cli
