#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace morvexa::cli {

enum class Command { Text, Picture, Help };

// What the command line asks for; every text still UTF-8 as it arrived.
struct Options {
  Command command = Command::Help;
  std::string input;  // the text to draw, or the picture file
  std::string fore = "$";
  std::string back = " ";
  std::optional<std::string> artOutput;                           // -o FILE, "-" for standard output
  std::optional<std::string> symbolsOutput;                       // --symbols FILE, "-" for standard output
  std::vector<std::pair<std::string, std::string>> replacements;  // --replace OLD NEW, in order
};

// Reads the arguments after the program name. On a wrong command line the
// result holds a one-line reason instead.
struct ParseResult {
  std::optional<Options> options;
  std::string error;
};
ParseResult ParseArguments(const std::vector<std::string>& args);

extern const char* const kUsage;

}  // namespace morvexa::cli
