#include "cli_options.h"

#include <getopt.h>

#include "morvexa_version.h"
#include "replacing_file.h"

namespace morvexa::cli {

namespace {

const char kProgramHelp[] =
    "Usage: morvexa-cli text [OPTION]... TEXT\n"
    "  or:  morvexa-cli picture [OPTION]... FILE\n"
    "  or:  morvexa-cli --help | --version\n"
    "Makes text pictures: Chinese characters drawn with symbols, and pictures turned into\n"
    "text, one printable ASCII symbol per color.\n"
    "\n"
    "Commands:\n"
    "  text TEXT       draw Chinese characters as 16 lines of art\n"
    "  picture FILE    convert a BMP picture (\"-\": standard input)\n"
    "\n"
    "Run 'morvexa-cli COMMAND --help' for the options of a command.\n"
    "\n"
    "Options:\n"
    "  -h, --help      display this help and exit\n"
    "  -V, --version   output version information and exit\n"
    "\n"
    "Exit status: 0 done, 1 failure, 2 refused input or wrong command line.\n";

const char kOutputHelp[] =
    "  -o, --output=FILE   write the art to FILE as code page 936 text with CR LF line\n"
    "                      breaks, as the window saves it (\"-\": standard output); without\n"
    "                      it the art is shown on standard output\n"
    "      --symbols=FILE  write the symbol list to FILE, one entry a line (\"-\": standard\n"
    "                      output)\n"
    "      --replace OLD NEW\n"
    "                      replace the listed symbol OLD with NEW throughout the art, as the\n"
    "                      window's replace button does (may be repeated; in order)\n"
    "  -h, --help          display this help and exit\n"
    "\n"
    "A file is written only once the command has succeeded; it replaces the old one whole.\n"
    "Exit status: 0 done, 1 failure, 2 refused input or wrong command line.\n";

const char kTextHelp[] =
    "Usage: morvexa-cli text [OPTION]... TEXT\n"
    "Draws the Chinese characters of TEXT as 16 lines of art from the built-in 16x16 font,\n"
    "each inked pixel a foreground symbol and each blank one a background symbol.\n"
    "\n"
    "Options:\n"
    "      --fg=SYMBOL     the foreground symbol (default \"$\"; \"字\" draws each character\n"
    "                      with itself)\n"
    "      --bg=SYMBOL     the background symbol (default a space)\n";

const char kPictureHelp[] =
    "Usage: morvexa-cli picture [OPTION]... FILE\n"
    "Converts the picture in FILE (\"-\": standard input) into art, one line a row of pixels\n"
    "and one printable ASCII symbol per color, in the order the colors are first met: the\n"
    "95th and later colors share \"!\".\n"
    "\n"
    "Options:\n";

enum LongOnly { kSymbols = 256, kReplace, kFore, kBack };

}  // namespace

std::string HelpText(Command command) {
  switch (command) {
    case Command::Text: return std::string(kTextHelp) + kOutputHelp;
    case Command::Picture: return std::string(kPictureHelp) + kOutputHelp;
    case Command::Help:
    case Command::Version: break;
  }
  return kProgramHelp;
}

std::string VersionText() {
  return "morvexa-cli (Morvexa) " MORVEXA_VERSION
         "\n"
         "Copyright (C) 2026 the Morvexa developers.\n"
         "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
         "This is free software: you are free to change and redistribute it.\n"
         "There is NO WARRANTY, to the extent permitted by law.\n";
}

ParseResult ParseArguments(const std::vector<std::string>& args) {
  if (args.empty()) return {{}, "a command is needed: text or picture"};
  Options options;
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") return {options, {}};
  if (command == "--version" || command == "-V") {
    options.command = Command::Version;
    return {options, {}};
  }
  if (command == "text") {
    options.command = Command::Text;
  } else if (command == "picture") {
    options.command = Command::Picture;
  } else {
    return {{}, "unknown command: " + command};
  }
  const bool text = options.command == Command::Text;

  // getopt_long works on a writable argv, and moves the words that are not
  // options after those that are; the command takes argv[0]'s place.
  std::vector<std::string> words(args);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(words.size());

  static const option kLong[] = {
      {"output", required_argument, nullptr, 'o'}, {"symbols", required_argument, nullptr, kSymbols},
      {"replace", required_argument, nullptr, kReplace}, {"fg", required_argument, nullptr, kFore},
      {"bg", required_argument, nullptr, kBack},    {"help", no_argument, nullptr, 'h'},
      {nullptr, 0, nullptr, 0},
  };
  optind = 0;  // starts getopt afresh
  opterr = 0;
  for (;;) {
    const int c = getopt_long(argc, argv.data(), ":o:h", kLong, nullptr);
    if (c == -1) break;
    // The word just read (getopt moves words, so it is looked up after).
    const std::string name = optind > 0 && optind <= argc ? argv[static_cast<std::size_t>(optind - 1)] : "";
    switch (c) {
      case 'o': options.artOutput = optarg; break;
      case kSymbols: options.symbolsOutput = optarg; break;
      case kReplace:
        // NEW is the word after OLD, whatever it looks like.
        if (optind >= argc) return {{}, "--replace needs OLD and NEW"};
        options.replacements.emplace_back(optarg, argv[static_cast<std::size_t>(optind++)]);
        break;
      case kFore:
      case kBack:
        if (!text) return {{}, (c == kFore ? "--fg" : "--bg") + std::string(" is for the text command only")};
        (c == kFore ? options.fore : options.back) = optarg;
        break;
      case 'h':
        options.helpFor = options.command;
        options.command = Command::Help;
        return {options, {}};
      case ':':
        return {{}, name.substr(0, name.find('=')) + " needs a value"};
      default:
        if (optopt != 0 && optopt < 256 && optopt != '?') {
          // A short option that needs a value and has none, or an unknown one.
          const bool needsValue = optopt == 'o';
          return {{}, needsValue ? "-o needs a value" : "unknown option: -" + std::string(1, static_cast<char>(optopt))};
        }
        return {{}, "unknown option: " + name.substr(0, name.find('='))};
    }
  }
  // What is left, after getopt moved the options first: the argument.
  if (optind >= argc) return {{}, text ? "TEXT is missing" : "FILE is missing"};
  if (optind + 1 < argc) return {{}, "unexpected argument: " + words[static_cast<std::size_t>(optind + 1)]};
  options.input = argv[static_cast<std::size_t>(optind)];
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
