#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "morvexa/option_table.h"

namespace morvexa::cli {

enum class Command { Text, Picture, Help, Version };

// What the command line asks for: the command, its argument and its
// options, every text still as it arrived, in the locale's character set.
struct Options : CommandOptions {
  Command command = Command::Help;
  // With Help: the command whose help is asked for (Help itself: the
  // program's).
  Command helpFor = Command::Help;
  std::string input;  // the text to draw, or the picture file ("-": standard input)
};

// Reads the arguments after the program name, as GNU tools do: long
// options with "=VALUE" or the value next, "--" ending the options. On a
// wrong command line the result holds a one-line reason instead.
struct ParseResult {
  std::optional<Options> options;
  std::string error;
  // With an error: the command whose options were wrong (Help: none was
  // known), whose help says more.
  Command wrongIn = Command::Help;
};
ParseResult ParseArguments(const std::vector<std::string>& args);

// Where to look after a wrong command line: "Try 'morvexa-cli picture
// --help' for more information." (Help: the program's help).
std::string HelpHint(Command command);

// The help of a command (Help: the program's), and the version text.
std::string HelpText(Command command);
std::string VersionText();

}  // namespace morvexa::cli
