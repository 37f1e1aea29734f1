#pragma once

// Runs the command-line program as a script would, in a folder of its own.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../support/files.h"

namespace morvexa::testing_support {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

inline std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class Cli : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("morvexa-cli-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    // Copies of files rewritten in place go to the test's own folder.
    setenv("XDG_STATE_HOME", (dir_ / "state").c_str(), 1);
    // The same terminal for every run, whoever runs the tests.
    setenv("TERM", "xterm-256color", 1);
    unsetenv("COLORTERM");
    unsetenv("COLORFGBG");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Runs the program; prefix goes before it on the shell's line (variables,
  // or a pipe into it).
  Outcome RunCli(const std::vector<std::string>& args, const std::string& prefix = "", const std::string& output = "") {
    std::string command = prefix + " " + MORVEXA_CLI;
    for (const auto& arg : args) command += " " + Quote(arg);
    return RunShell(command, output);
  }

  // Runs a shell command line, its output kept (or sent to output).
  Outcome RunShell(const std::string& command, const std::string& output = "") {
    const std::filesystem::path out = dir_ / "stdout", err = dir_ / "stderr";
    const int raw = std::system((command + " >" + (output.empty() ? Quote(out) : output) + " 2>" + Quote(err)).c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
  }

  std::filesystem::path dir_;
};

}  // namespace morvexa::testing_support
