#include "cli_options.h"

#include "replacing_file.h"

namespace morvexa::cli {

const char* const kUsage =
    "Usage:\n"
    "  morvexa-cli text TEXT [--fg SYMBOL] [--bg SYMBOL] [-o FILE] [--symbols FILE] [--replace OLD NEW]...\n"
    "  morvexa-cli picture FILE.bmp [-o FILE] [--symbols FILE] [--replace OLD NEW]...\n"
    "  morvexa-cli --help\n"
    "\n"
    "  text       draws Chinese characters as 16 lines of art (foreground \"$\", background a space;\n"
    "             --fg 字 draws each character with itself)\n"
    "  picture    converts a BMP picture, one printable ASCII symbol per color\n"
    "  -o FILE    writes the art as code page 936 text with CR LF line breaks (\"-\": standard output);\n"
    "             without -o the art is shown on standard output as UTF-8\n"
    "  --symbols FILE  writes the symbol list, one entry a line (\"-\": standard output)\n"
    "  --replace OLD NEW  replaces the listed symbol OLD with NEW throughout the art\n"
    "\n"
    "Exit status: 0 done, 1 failure, 2 refused input or wrong command line.\n";

namespace {

bool TakesValue(const std::string& option) {
  return option == "--fg" || option == "--bg" || option == "-o" || option == "--symbols";
}

}  // namespace

ParseResult ParseArguments(const std::vector<std::string>& args) {
  if (args.empty()) return {{}, "a command is needed: text or picture"};
  Options options;
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") return {options, {}};
  if (command == "text") {
    options.command = Command::Text;
  } else if (command == "picture") {
    options.command = Command::Picture;
  } else {
    return {{}, "unknown command: " + command};
  }

  bool haveInput = false;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
    if (isOption && arg == "--") {
      optionsEnded = true;
    } else if (isOption && TakesValue(arg)) {
      if (i + 1 >= args.size()) return {{}, arg + " needs a value"};
      const std::string& value = args[++i];
      if (arg == "--fg" && options.command == Command::Text) {
        options.fore = value;
      } else if (arg == "--bg" && options.command == Command::Text) {
        options.back = value;
      } else if (arg == "-o") {
        options.artOutput = value;
      } else if (arg == "--symbols") {
        options.symbolsOutput = value;
      } else {
        return {{}, arg + " is for the text command only"};
      }
    } else if (isOption && arg == "--replace") {
      if (i + 2 >= args.size()) return {{}, "--replace needs OLD and NEW"};
      options.replacements.emplace_back(args[i + 1], args[i + 2]);
      i += 2;
    } else if (isOption) {
      return {{}, "unknown option: " + arg};
    } else if (haveInput) {
      return {{}, "unexpected argument: " + arg};
    } else {
      options.input = arg;
      haveInput = true;
    }
  }
  if (!haveInput) return {{}, options.command == Command::Text ? "TEXT is missing" : "FILE is missing"};
  if (options.artOutput == "-" && options.symbolsOutput == "-") {
    return {{}, "-o - and --symbols - cannot both take standard output"};
  }
  if (options.artOutput && options.symbolsOutput && *options.artOutput != "-" && *options.symbolsOutput != "-" &&
      SameFile(*options.artOutput, *options.symbolsOutput)) {
    return {{}, "-o and --symbols name the same file"};
  }
  return {options, {}};
}

}  // namespace morvexa::cli
