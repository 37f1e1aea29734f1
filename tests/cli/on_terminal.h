#pragma once

// The command-line program run with its standard output on a
// pseudo-terminal of a known size.
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace morvexa::testing_support {

// What the program wrote to a terminal of columns x rows, with the
// environment's variables set as given (an empty value unsets one).
inline std::string OnTerminal(const std::vector<std::string>& args, unsigned short columns, unsigned short rows,
                              const std::vector<std::pair<std::string, std::string>>& environment = {}) {
  winsize size{};
  size.ws_col = columns;
  size.ws_row = rows;
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, &size);
  if (child < 0) return "forkpty failed";
  if (child == 0) {
    for (const auto& variable : environment) {
      if (variable.second.empty()) {
        unsetenv(variable.first.c_str());
      } else {
        setenv(variable.first.c_str(), variable.second.c_str(), 1);
      }
    }
    std::vector<char*> argv = {const_cast<char*>(MORVEXA_CLI)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(MORVEXA_CLI, argv.data());
    _exit(127);
  }
  std::string out;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(terminal, buffer, sizeof buffer);
    if (n > 0) {
      out.append(buffer, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // EIO once the program has ended
    }
  }
  close(terminal);
  waitpid(child, nullptr, 0);
  return out;
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

}  // namespace morvexa::testing_support
