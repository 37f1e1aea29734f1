#include "cli_terminal.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <regex>
#include <string>
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

std::optional<Rgb> AskedBackground() {
  // Standard input and output must be the same terminal: the question goes
  // out on one and the answer comes in on the other.
  struct stat in {
  }, out{};
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO) || fstat(STDIN_FILENO, &in) != 0 ||
      fstat(STDOUT_FILENO, &out) != 0 || in.st_rdev != out.st_rdev) {
    return {};
  }
  termios before{};
  if (tcgetattr(STDIN_FILENO, &before) != 0) return {};
  // No echo and no line editing while the answer comes, so that none of
  // it shows or waits in the input.
  termios quiet = before;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  quiet.c_cc[VMIN] = 0;
  quiet.c_cc[VTIME] = 0;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &quiet) != 0) return {};
  // The background's color (OSC 11), then the terminal's attributes
  // (DA1), which every terminal answers: once that answer is in, no
  // answer to the first is coming.
  constexpr std::string_view kQuestions = "\x1b]11;?\x1b\\\x1b[c";
  std::string answer;
  if (write(STDOUT_FILENO, kQuestions.data(), kQuestions.size()) == static_cast<ssize_t>(kQuestions.size())) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    const std::regex attributes("\x1b\\[\\?[0-9;]*c");
    while (!std::regex_search(answer, attributes)) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
      if (left <= 0) break;
      pollfd ready{STDIN_FILENO, POLLIN, 0};
      if (poll(&ready, 1, static_cast<int>(left)) <= 0) continue;
      char buffer[256];
      const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
      if (got > 0) answer.append(buffer, static_cast<std::size_t>(got));
    }
  }
  // What came late, or was typed meanwhile, is not left for the shell.
  tcflush(STDIN_FILENO, TCIFLUSH);
  tcsetattr(STDIN_FILENO, TCSANOW, &before);
  // "ESC ] 11 ; rgb:RRRR/GGGG/BBBB" (1 to 4 hexadecimal digits a channel).
  std::smatch found;
  static const std::regex kColor("\x1b\\]11;rgb:([0-9a-fA-F]{1,4})/([0-9a-fA-F]{1,4})/([0-9a-fA-F]{1,4})");
  if (!std::regex_search(answer, found, kColor)) return {};
  Rgb color = 0;
  for (std::size_t c = 1; c <= 3; ++c) {
    const std::string digits = found[c].str();
    const unsigned value = static_cast<unsigned>(std::stoul(digits, nullptr, 16));
    const unsigned most = (1u << (4 * digits.size())) - 1;
    color = color << 8 | (value * 255 + most / 2) / most;
  }
  return color;
}

std::optional<bool> TerminalBackgroundDark() {
  static const std::optional<bool> dark = []() -> std::optional<bool> {
    if (const auto background = AskedBackground()) {
      const double luma =
          0.2126 * (*background >> 16 & 0xFF) + 0.7152 * (*background >> 8 & 0xFF) + 0.0722 * (*background & 0xFF);
      return luma < 128;
    }
    return BackgroundOfColorFgBg();
  }();
  return dark;
}

std::optional<bool> BackgroundOfColorFgBg() {
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
