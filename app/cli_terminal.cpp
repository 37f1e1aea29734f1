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
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &window) == 0) {
    size = {window.ws_col, window.ws_row};
    // A cell is about 1.17 ems high in the fonts terminals use.
    if (window.ws_ypixel > 0 && window.ws_row > 0) {
      const int pixels = window.ws_ypixel * 6 / (window.ws_row * 7);
      if (pixels >= kLeastFontPixels && pixels <= kMostFontPixels) size.fontPixels = pixels;
    }
  }
  if (size.columns == 0) size.columns = FromEnvironment("COLUMNS");
  if (size.rows == 0) size.rows = FromEnvironment("LINES");
  if (size.columns == 0) size.columns = 80;
  if (size.rows == 0) size.rows = 24;
  return size;
}

TerminalColors TerminalColorsShown() {
  // Asked of the environment and terminfo once a run.
  static const TerminalColors colors = [] {
    const char* colorTerm = std::getenv("COLORTERM");
    const std::string_view said = colorTerm ? colorTerm : "";
    if (said == "truecolor" || said == "24bit") return TerminalColors::TrueColor;
    const int count = TerminfoColors();
    if (count >= 8 && count <= 16) return TerminalColors::Palette16;
    if (count > 256) return TerminalColors::TrueColor;
    return TerminalColors::Palette256;
  }();
  return colors;
}

namespace {

// The color of "rgb:R/G/B", 1 to 4 hexadecimal digits a channel, as X
// and every terminal that answers write it.
Rgb ColorOfSpec(const std::smatch& found, std::size_t first) {
  Rgb color = 0;
  for (std::size_t c = first; c < first + 3; ++c) {
    const std::string digits = found[c].str();
    const unsigned value = static_cast<unsigned>(std::stoul(digits, nullptr, 16));
    const unsigned most = (1u << (4 * digits.size())) - 1;
    color = color << 8 | (value * 255 + most / 2) / most;
  }
  return color;
}

// The questions a program asks of the terminal through a terminal
// multiplexer, which keeps them for itself otherwise: tmux passes on what
// it is given in "ESC P tmux; ... ESC \", escapes doubled (when its
// allow-passthrough lets it), GNU screen what is in "ESC P ... ESC \".
std::string ThroughMultiplexer(std::string_view questions) {
  std::string through;
  if (std::getenv("TMUX")) {
    through = "\x1bPtmux;";
    for (const char c : questions) {
      if (c == '\x1b') through += '\x1b';
      through += c;
    }
    through += "\x1b\\";
  } else if (std::getenv("STY")) {
    // Screen passes on at most so much at once: a question at a time.
    for (std::size_t at = 0; at < questions.size();) {
      const std::size_t end = questions.find("\x1b\\", at);
      const std::size_t next = end == std::string_view::npos ? questions.size() : end + 2;
      through += "\x1bP";
      through += questions.substr(at, next - at);
      through += "\x1b\\";
      at = next;
    }
  }
  return through;
}

}  // namespace

const TerminalAnswers& AskedTerminal() {
  static const TerminalAnswers answers = []() -> TerminalAnswers {
    // Standard input and output must be the same terminal: the questions
    // go out on one and the answers come in on the other.
    struct stat in {
    }, out{};
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO) || fstat(STDIN_FILENO, &in) != 0 ||
        fstat(STDOUT_FILENO, &out) != 0 || in.st_rdev != out.st_rdev) {
      return {};
    }
    termios before{};
    if (tcgetattr(STDIN_FILENO, &before) != 0) return {};
    // No echo and no line editing while the answers come, so that none of
    // them shows or waits in the input.
    termios quiet = before;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    quiet.c_cc[VMIN] = 0;
    quiet.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &quiet) != 0) return {};
    // The background's color (OSC 11) and the sixteen colors (OSC 4), also
    // through a multiplexer, then the terminal's attributes (DA1), which
    // every terminal answers: once that answer is in, no answer to the
    // others is coming from the terminal itself. A multiplexer answers the
    // last at once, and what it passes on may come after: then the answers
    // are waited for as long as a terminal that answers nothing is.
    std::string questions = "\x1b]11;?\x1b\\";
    for (int index = 0; index < 16; ++index) questions += "\x1b]4;" + std::to_string(index) + ";?\x1b\\";
    const std::string through = ThroughMultiplexer(questions);
    const std::string asked = questions + through + "\x1b[c";
    std::string answer;
    if (write(STDOUT_FILENO, asked.data(), asked.size()) == static_cast<ssize_t>(asked.size())) {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
      const std::regex attributes("\x1b\\[\\?[0-9;]*c");
      const std::regex background("\x1b\\]11;rgb:");
      while (!std::regex_search(answer, attributes) || (!through.empty() && !std::regex_search(answer, background))) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) break;
        pollfd ready{STDIN_FILENO, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(left)) <= 0) continue;
        char buffer[1024];
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got > 0) answer.append(buffer, static_cast<std::size_t>(got));
      }
    }
    // What came late, or was typed meanwhile, is not left for the shell.
    tcflush(STDIN_FILENO, TCIFLUSH);
    tcsetattr(STDIN_FILENO, TCSANOW, &before);
    TerminalAnswers said;
    std::smatch found;
    static const std::regex kBackground("\x1b\\]11;rgb:([0-9a-fA-F]{1,4})/([0-9a-fA-F]{1,4})/([0-9a-fA-F]{1,4})");
    if (std::regex_search(answer, found, kBackground)) said.background = ColorOfSpec(found, 1);
    static const std::regex kColor(
        "\x1b\\]4;([0-9]{1,3});rgb:([0-9a-fA-F]{1,4})/([0-9a-fA-F]{1,4})/([0-9a-fA-F]{1,4})");
    for (auto it = std::sregex_iterator(answer.begin(), answer.end(), kColor); it != std::sregex_iterator(); ++it) {
      const int index = std::stoi((*it)[1].str());
      if (index < 16) said.sixteen[static_cast<std::size_t>(index)] = ColorOfSpec(*it, 2);
    }
    return said;
  }();
  return answers;
}

SixteenColors TerminalSixteen() {
  // The Linux console answers no question: its name says which it is.
  const char* term = std::getenv("TERM");
  SixteenColors sixteen = term && std::string_view(term) == "linux" ? kLinuxConsoleSixteen : kXtermSixteen;
  const TerminalAnswers& answers = AskedTerminal();
  for (std::size_t index = 0; index < sixteen.size(); ++index) {
    if (answers.sixteen[index]) sixteen[index] = *answers.sixteen[index];
  }
  return sixteen;
}

std::optional<bool> TerminalBackgroundDark() {
  static const std::optional<bool> dark = []() -> std::optional<bool> {
    if (const auto background = AskedTerminal().background) {
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
