#pragma once

// The command-line program run with its standard output on a
// pseudo-terminal of a known size, as a terminal emulator would run it:
// questions the program asks of the terminal are answered as a terminal
// with the given look would answer them.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <regex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace morvexa::testing_support {

// How the terminal answers. By default it answers what every terminal
// answers (its attributes) and not its background color, as a terminal
// that keeps its colors to itself.
struct TerminalLook {
  std::string background;  // as in "rgb:0000/0000/0000"; empty: not said
  bool answersAttributes = true;
  std::vector<std::string> sixteen;  // its sixteen colors, as the background; empty: not said
  // Inside tmux: questions wrapped for tmux to pass on ("ESC P tmux; ...
  // ESC \\", escapes doubled) reach the terminal, which answers them, only
  // when tmux lets them through; others are tmux's, which answers
  // attributes alone.
  bool inTmux = false, tmuxPassesThrough = false;
  // The program run as a shell with job control runs a command: in a
  // process group of its own, the terminal's foreground one, beside the
  // shell, so that Ctrl-Z (SIGTSTP) stops it as it would stop it there.
  // (Run as the first process of the terminal's session, its group has no
  // shell beside it, and the system never stops it for SIGTSTP.) Signals
  // go to that group, as the terminal sends them.
  bool underShell = false;
  // The height of its window in pixels, as it reports it with its size in
  // cells (TIOCGWINSZ); 0, as many terminals report, when not given.
  unsigned short pixelsHigh = 0;
};

struct TerminalRun {
  std::string shown;            // what the program wrote, questions left out
  int backgroundQuestions = 0;  // times it asked for the background color
  int paletteQuestions = 0;     // colors of the sixteen it asked for
  // What it wrote, as it came: when (milliseconds from the start) and what.
  std::vector<std::pair<long, std::string>> arrivals;
  int status = -1;  // its exit status; -1 when a signal ended it
};

// A signal sent to the program some milliseconds after its start; with a
// new size, the terminal takes that size instead (and the program gets
// SIGWINCH from the terminal, as a resized terminal window sends it).
struct SentSignal {
  int signal = 0;
  long after = 0;
  unsigned short columns = 0, rows = 0;
};

inline constexpr std::string_view kBackgroundQuestion = "\x1b]11;?\x1b\\";
inline constexpr std::string_view kAttributesQuestion = "\x1b[c";

// What the program wrote to a terminal of columns x rows, with the
// environment's variables set as given (an empty value unsets one).
// COLORFGBG is unset unless given, so that the machine's own terminal
// does not decide. Its standard input is the terminal too, or the file
// named by input.
// Signals are sent in the order given.
inline TerminalRun RunOnTerminalSignalled(const std::vector<std::string>& args, unsigned short columns,
                                          unsigned short rows,
                                          const std::vector<std::pair<std::string, std::string>>& environment,
                                          const TerminalLook& look, const std::vector<SentSignal>& signals,
                                          const std::string& input = {}) {
  winsize size{};
  size.ws_col = columns;
  size.ws_row = rows;
  size.ws_ypixel = look.pixelsHigh;
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, &size);
  if (child < 0) return {"forkpty failed", 0};
  if (child == 0) {
    unsetenv("COLORFGBG");
    for (const auto& variable : environment) {
      if (variable.second.empty()) {
        unsetenv(variable.first.c_str());
      } else {
        setenv(variable.first.c_str(), variable.second.c_str(), 1);
      }
    }
    if (!input.empty()) {
      const int fd = open(input.c_str(), O_RDONLY);
      if (fd < 0 || dup2(fd, STDIN_FILENO) < 0) _exit(126);
      close(fd);
    }
    if (look.underShell) {
      const pid_t command = fork();
      if (command < 0) _exit(126);
      if (command > 0) {
        // The shell: waits for the command, and ends as it ended.
        setpgid(command, command);
        int status = 0;
        while (waitpid(command, &status, 0) < 0 && errno == EINTR) {
        }
        if (WIFEXITED(status)) _exit(WEXITSTATUS(status));
        signal(WTERMSIG(status), SIG_DFL);
        raise(WTERMSIG(status));
        _exit(126);
      }
      setpgid(0, 0);
      signal(SIGTTOU, SIG_IGN);
      tcsetpgrp(STDOUT_FILENO, getpid());
      signal(SIGTTOU, SIG_DFL);
    }
    std::vector<char*> argv = {const_cast<char*>(MORVEXA_CLI)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(MORVEXA_CLI, argv.data());
    _exit(127);
  }
  TerminalRun run;
  std::string out;
  char buffer[65536];
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  auto elapsed = [&start] {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
  };
  std::size_t signalled = 0;
  for (;;) {
    while (signalled < signals.size() && elapsed() >= signals[signalled].after) {
      const SentSignal& sent = signals[signalled++];
      if (sent.columns != 0) {
        winsize resized{};
        resized.ws_col = sent.columns;
        resized.ws_row = sent.rows;
        ioctl(terminal, TIOCSWINSZ, &resized);
      } else if (sent.signal != 0 && look.underShell) {
        kill(-tcgetpgrp(terminal), sent.signal);
      } else if (sent.signal != 0) {
        kill(child, sent.signal);
      }
    }
    pollfd ready{terminal, POLLIN, 0};
    const int polled = poll(&ready, 1, signalled == signals.size() ? -1 : 10);
    if (polled == 0 || (polled < 0 && errno == EINTR)) continue;
    const ssize_t n = read(terminal, buffer, sizeof buffer);
    if (n > 0) {
      out.append(buffer, static_cast<std::size_t>(n));
      run.arrivals.emplace_back(elapsed(), std::string(buffer, static_cast<std::size_t>(n)));
      // What is wrapped for tmux, tmux takes: unwrapped, and passed on
      // when it lets it through.
      for (std::size_t at; (at = out.find("\x1bPtmux;")) != std::string::npos;) {
        std::size_t end = at + 7;
        while (end + 1 < out.size() && !(out[end] == '\x1b' && out[end + 1] == '\\')) {
          end += out[end] == '\x1b' ? 2 : 1;
        }
        if (end + 1 >= out.size()) break;
        std::string inner;
        for (std::size_t i = at + 7; i < end; ++i) {
          inner += out[i];
          if (out[i] == '\x1b') ++i;
        }
        out.erase(at, end + 2 - at);
        if (look.tmuxPassesThrough && !look.background.empty() &&
            inner.find(kBackgroundQuestion) != std::string::npos) {
          ++run.backgroundQuestions;
          const std::string answer = "\x1b]11;" + look.background + "\x1b\\";
          (void)!write(terminal, answer.data(), answer.size());
        }
      }
      // Answer the questions as they come, and keep them out of what was
      // shown: a terminal does not show them.
      for (std::size_t at; (at = out.find(kBackgroundQuestion)) != std::string::npos;) {
        out.erase(at, kBackgroundQuestion.size());
        ++run.backgroundQuestions;
        if (!look.background.empty() && !look.inTmux) {
          const std::string answer = "\x1b]11;" + look.background + "\x1b\\";
          (void)!write(terminal, answer.data(), answer.size());
        }
      }
      // "ESC ] 4 ; N ; ? ESC \\": a color of the sixteen.
      for (std::size_t at; (at = out.find("\x1b]4;")) != std::string::npos;) {
        const std::size_t end = out.find("\x1b\\", at);
        if (end == std::string::npos) break;
        const int index = std::atoi(out.c_str() + at + 4);
        out.erase(at, end + 2 - at);
        ++run.paletteQuestions;
        if (index >= 0 && static_cast<std::size_t>(index) < look.sixteen.size()) {
          const std::string answer = "\x1b]4;" + std::to_string(index) + ";" + look.sixteen[index] + "\x1b\\";
          (void)!write(terminal, answer.data(), answer.size());
        }
      }
      for (std::size_t at; (at = out.find(kAttributesQuestion)) != std::string::npos;) {
        out.erase(at, kAttributesQuestion.size());
        if (look.answersAttributes) (void)!write(terminal, "\x1b[?62;22c", 9);
      }
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // EIO once the program has ended
    }
  }
  close(terminal);
  int status = 0;
  waitpid(child, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.shown = std::move(out);
  return run;
}

inline TerminalRun RunOnTerminal(const std::vector<std::string>& args, unsigned short columns, unsigned short rows,
                                 const std::vector<std::pair<std::string, std::string>>& environment = {},
                                 const TerminalLook& look = {}, const SentSignal& sent = {},
                                 const std::string& input = {}) {
  return RunOnTerminalSignalled(args, columns, rows, environment, look, {sent}, input);
}

inline std::string OnTerminal(const std::vector<std::string>& args, unsigned short columns, unsigned short rows,
                              const std::vector<std::pair<std::string, std::string>>& environment = {},
                              const TerminalLook& look = {}) {
  return RunOnTerminal(args, columns, rows, environment, look).shown;
}

// The lines a terminal showed, without its color escapes; a line break on
// a terminal is CR LF.
inline std::vector<std::string> ShownLines(const std::string& out) {
  const std::string plain = std::regex_replace(out, std::regex("\x1b\\[[0-9;]*m"), "");
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < plain.size();) {
    const std::size_t end = plain.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back(plain.substr(at));
      break;
    }
    lines.push_back(plain.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// A terminal's screen as far as the programs move over it and write on it:
// rows of cells, each the colors in force when it was written (the color
// escapes since the last reset) and its character. Printable text moves
// right, a line feed down (the screen scrolling at its bottom), CR to the
// first column; ESC [ n A and ESC [ n B move up and down within the
// screen, ESC [ J clears from the cursor down, and ESC [ ? 25 l and h hide
// and show the cursor. Lines are taken to fit: there is no wrapping.
struct Screen {
  using Row = std::vector<std::string>;
  explicit Screen(std::size_t lines = 24) : height(lines) {}

  std::size_t height;
  std::vector<Row> rows;  // from the top; those below the last written are not kept
  std::size_t row = 0, column = 0;
  std::string style;
  bool cursorHidden = false;

  void Feed(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
      const char c = bytes[i];
      if (c == '\x1b' && i + 1 < bytes.size() && bytes[i + 1] == '[') {
        std::size_t end = i + 2;
        while (end < bytes.size() && !(bytes[end] >= 0x40 && bytes[end] <= 0x7E)) ++end;
        if (end == bytes.size()) return;
        const std::string parameters(bytes.substr(i + 2, end - i - 2));
        const char final = bytes[end];
        const bool isPrivate = !parameters.empty() && parameters[0] == '?';
        const std::size_t count =
            parameters.empty() || isPrivate ? 1 : std::max<std::size_t>(std::stoul(parameters), 1);
        if (final == 'A') row -= std::min(row, count);
        if (final == 'B') row = std::min(row + count, height - 1);
        if (final == 'J') {
          if (row < rows.size()) rows[row].resize(std::min(rows[row].size(), column));
          rows.resize(std::min(rows.size(), row + 1));
        }
        if (final == 'm') style = parameters == "0" || parameters.empty() ? "" : style + "\x1b[" + parameters + "m";
        if (parameters == "?25" && (final == 'l' || final == 'h')) cursorHidden = final == 'l';
        i = end + 1;
      } else if (c == '\r') {
        column = 0, ++i;
      } else if (c == '\n') {
        if (row + 1 < height) {
          ++row;
        } else if (!rows.empty()) {
          rows.erase(rows.begin());
        }
        ++i;
      } else {
        std::size_t length = 1;
        while (i + length < bytes.size() && (static_cast<unsigned char>(bytes[i + length]) & 0xC0) == 0x80) ++length;
        Row& cells = At(row);
        if (cells.size() <= column) cells.resize(column + 1);
        cells[column++] = style + std::string(bytes.substr(i, length));
        i += length;
      }
    }
  }

  // The count rows just above the cursor's, as they stand.
  std::vector<Row> Above(std::size_t count) const {
    std::vector<Row> above;
    for (std::size_t r = row - std::min(row, count); r < row; ++r) above.push_back(r < rows.size() ? rows[r] : Row());
    return above;
  }

 private:
  Row& At(std::size_t r) {
    if (rows.size() <= r) rows.resize(r + 1);
    return rows[r];
  }
};

// What bytes show on a fresh screen of the height.
inline Screen ScreenOf(std::string_view bytes, std::size_t height = 24) {
  Screen screen(height);
  screen.Feed(bytes);
  return screen;
}

}  // namespace morvexa::testing_support
