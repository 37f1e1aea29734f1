#include "cli_options.h"

#include <getopt.h>

#include <algorithm>
#include <string_view>

#include "morvexa/nearest_word.h"
#include "morvexa/option_table.h"
#include "morvexa/picture_arguments.h"
#include "morvexa/replacing_file.h"
#include "morvexa_version.h"

namespace morvexa::cli {

namespace {

const char kProgramHelp[] =
    "Usage: morvexa-cli text [OPTION]... TEXT\n"
    "  or:  morvexa-cli picture [OPTION]... FILE\n"
    "  or:  morvexa-cli --help | --version\n"
    "Makes text pictures: text drawn as banners of symbols, and pictures turned into\n"
    "text, one printable ASCII symbol per color.\n"
    "\n"
    "Commands:\n"
    "  text TEXT       draw TEXT as a banner, 16 lines a row of text\n"
    "  picture FILE    convert a picture (BMP, PNG, JPEG, GIF, WebP; \"-\": standard input)\n"
    "\n"
    "Run 'morvexa-cli COMMAND --help' for the options of a command.\n"
    "\n"
    "Options:\n"
    "  -h, --help      display this help and exit\n"
    "  -V, --version   output version information and exit\n"
    "\n"
    "Exit status: 0 done, 1 failure, 2 refused input or wrong command line.\n";

const char kHelpEnd[] =
    "A file is written only once the command has succeeded; it replaces the old one whole.\n"
    "Exit status: 0 done, 1 failure, 2 refused input or wrong command line.\n";

const char kTextHelp[] =
    "Usage: morvexa-cli text [OPTION]... TEXT\n"
    "Draws TEXT as a banner: each character's glyph from the built-in font (GNU Unifont;\n"
    "its 16x16 GB2312 font for Chinese), 16 lines high, each inked pixel a foreground\n"
    "symbol and each blank one a background symbol. A line break in TEXT starts a new\n"
    "row of banner under the one before. On a terminal a banner wider than the screen\n"
    "goes on under itself, broken between characters.\n"
    "\n"
    "Options:\n";

const char kPictureHelp[] =
    "Usage: morvexa-cli picture [OPTION]... FILE\n"
    "Converts the picture in FILE (\"-\": standard input) into art: by default one line a\n"
    "row of pixels and one printable ASCII symbol per color, in the order the colors are\n"
    "first met, the 95th and later colors sharing \"!\". BMP, PNG, JPEG, GIF and WebP\n"
    "pictures are read, told apart by their first bytes; of an animation, the first\n"
    "frame, unless it is shown on a terminal, where it plays in place until it ends or\n"
    "Ctrl-C is pressed.\n"
    "\n"
    "Options:\n";

const char kPictureNotes[] =
    "Shown on a terminal, with no size given and no --original, the art fits the\n"
    "terminal, drawn with --blocks=fine unless another way is asked for: in the\n"
    "terminal's own colors (of 16, those it answers when asked, the Linux console's\n"
    "for TERM=linux), or, without colors, light on dark on a dark terminal. The\n"
    "background is asked of the terminal (through tmux and GNU screen where they let\n"
    "it through), else COLORFGBG says it (\"0;15\" light, \"15;0\" dark); when neither\n"
    "does, it is taken to be dark, the more common. Art of ink alone (--ramp,\n"
    "--shapes, --blocks) follows it; --invert draws light on dark anywhere. Without a\n"
    "size, a cell of shapes covers 8 pixels across, of blocks 2.\n";

// The options of one command, or of both.
bool OfTextAlone(const OptionEntry& option) {
  return (option.takers & kTextCommand) != 0 && (option.takers & kPictureCommand) == 0;
}
bool OfPictureAlone(const OptionEntry& option) {
  return (option.takers & kPictureCommand) != 0 && (option.takers & kTextCommand) == 0;
}
bool OfBoth(const OptionEntry& option) {
  return (option.takers & kTextCommand) != 0 && (option.takers & kPictureCommand) != 0;
}

// The options the command line takes, by getopt's id: the entry's place in
// the table after the ids of single letters.
constexpr int kFirstId = 256;
std::vector<const OptionEntry*> CommandLineOptions() {
  std::vector<const OptionEntry*> entries;
  for (const OptionEntry& entry : OptionTable()) {
    if ((entry.takers & (kTextCommand | kPictureCommand)) != 0) entries.push_back(&entry);
  }
  return entries;
}

// How an option is named in messages: "-o" for output given short.
std::string Named(const OptionEntry& entry, bool shortForm) {
  // (Appended, not "--" + name: GCC 12's Release build warns of that.)
  return shortForm ? std::string("-") + entry.letter : std::string("--").append(entry.name);
}

// A word as it is typed in a shell: in single quotes when it holds
// anything the shell would take for something else.
std::string QuotedForShell(std::string_view word) {
  const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("_-./:@%+,=").find(c) != std::string_view::npos || static_cast<unsigned char>(c) >= 0x80;
  });
  if (plain) return std::string(word);
  std::string out = "'";
  for (const char c : word) c == '\'' ? out += "'\\''" : out += c;
  return out + "'";
}

// "unknown option --widht; did you mean --width?"
std::string UnknownOption(std::string_view word) {
  const std::string option(word.substr(0, word.find('=')));
  std::vector<std::string> names;
  for (const OptionEntry* entry : CommandLineOptions()) {
    if (entry->letter != 0) names.push_back(std::string("-") + entry->letter);
  }
  for (const OptionEntry* entry : CommandLineOptions()) names.push_back(std::string("--").append(entry->name));
  std::string message = "unknown option " + option;
  if (const auto nearest = NearestWord(option, names)) message += "; did you mean " + *nearest + "?";
  return message;
}

}  // namespace

std::string HelpText(Command command) {
  switch (command) {
    case Command::Text: return kTextHelp + OptionsHelp(OfTextAlone) + OptionsHelp(OfBoth) + "\n" + kHelpEnd;
    case Command::Picture:
      return kPictureHelp + OptionsHelp(OfPictureAlone) + OptionsHelp(OfBoth) + "\n" + kPictureNotes + "\n" + kHelpEnd;
    case Command::Help:
    case Command::Version: break;
  }
  return kProgramHelp;
}

std::string VersionText() { return "morvexa-cli (Morvexa) " MORVEXA_VERSION "\n" MORVEXA_VERSION_NOTICE; }

namespace {

// Reads the options and the argument of the command options names, after it
// in args.
ParseResult ParseCommand(Options options, const std::vector<std::string>& args);

}  // namespace

std::string HelpHint(Command command) {
  const char* named = command == Command::Text ? " text" : command == Command::Picture ? " picture" : "";
  return std::string("Try 'morvexa-cli") + named + " --help' for more information.";
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
  } else if (command.starts_with('-')) {
    return {{}, "a command is needed first: text or picture"};
  } else {
    std::string message = "unknown command " + QuotedValue(command);
    if (const auto nearest = NearestWord(command, {"text", "picture", "help"}))
      message += "; did you mean " + *nearest + "?";
    return {{}, message};
  }
  ParseResult parsed = ParseCommand(options, args);
  if (!parsed.options) parsed.wrongIn = options.command;
  return parsed;
}

namespace {

ParseResult ParseCommand(Options options, const std::vector<std::string>& args) {
  const bool text = options.command == Command::Text;
  const unsigned mine = text ? kTextCommand : kPictureCommand;

  // getopt_long works on a writable argv, and moves the words that are not
  // options after those that are; the command takes argv[0]'s place.
  std::vector<std::string> words(args);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(words.size());
  const std::vector<const OptionEntry*> entries = CommandLineOptions();
  std::vector<option> longOptions;
  std::string letters = ":";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const OptionEntry& entry = *entries[i];
    const int hasValue = entry.value == ValueTaken::None     ? no_argument
                         : entry.value == ValueTaken::Needed ? required_argument
                                                             : optional_argument;
    longOptions.push_back({entry.name.data(), hasValue, nullptr, kFirstId + static_cast<int>(i)});
    if (entry.letter != 0) letters += std::string(1, entry.letter) + (hasValue == required_argument ? ":" : "");
  }
  longOptions.push_back({nullptr, 0, nullptr, 0});
  const auto entryOf = [&entries](int id) -> const OptionEntry* {
    if (id >= kFirstId) return entries[static_cast<std::size_t>(id - kFirstId)];
    for (const OptionEntry* entry : entries) {
      if (entry->letter == id) return entry;
    }
    return nullptr;
  };

  // Options of an optional value given with none, and the word after each
  // as first given: a value meant for them, should it be left over.
  std::vector<std::pair<std::string, std::string>> bare;
  optind = 0;  // starts getopt afresh
  opterr = 0;
  for (;;) {
    const int c = getopt_long(argc, argv.data(), letters.c_str(), longOptions.data(), nullptr);
    if (c == -1) break;
    if (c == '?') {
      if (optopt != 0 && optopt < 256)
        return {{}, UnknownOption(std::string("-").append(1, static_cast<char>(optopt)))};
      return {{}, UnknownOption(argv[static_cast<std::size_t>(optind - 1)])};
    }
    const OptionEntry* entry = entryOf(c == ':' ? optopt : c);
    // The word the option was given in: the one before its value, when that
    // came as a word of its own.
    const char* given = argv[static_cast<std::size_t>(optind - 1)];
    if (optarg && optind >= 2 && optarg == given) given = argv[static_cast<std::size_t>(optind - 2)];
    const std::string name = Named(*entry, given[1] != '-');
    if (c == ':') return {{}, name + " needs a value: " + AllowedValue(*entry)};
    if ((entry->takers & mine) == 0) {
      return {{}, name + " is for the " + ((entry->takers & kTextCommand) != 0 ? "text" : "picture") + " command only"};
    }
    if (entry->value == ValueTaken::Optional && !optarg && optind < argc) {
      bare.emplace_back(name, argv[static_cast<std::size_t>(optind)]);
    }
    std::string_view second;
    if (entry->kind == ValueKind::Pair) {
      // NEW is the word after OLD, whatever it looks like.
      if (optind >= argc) return {{}, name + " needs OLD and NEW: a listed symbol and its new symbol"};
      second = argv[static_cast<std::size_t>(optind++)];
    }
    const std::optional<std::string_view> value = optarg ? std::optional<std::string_view>(optarg) : std::nullopt;
    if (std::string wrong = TakeOption(*entry, name, value, options, second); !wrong.empty()) return {{}, wrong};
    if (options.help) {
      options.helpFor = options.command;
      options.command = Command::Help;
      return {options, {}};
    }
  }
  // What is left, after getopt moved the options first: the argument.
  if (text && options.listFiglet && optind >= argc) return {options, {}};
  if (optind >= argc) return {{}, text ? "TEXT is missing" : "FILE is missing"};
  if (optind + 1 < argc) {
    const std::vector<std::string> left(argv.begin() + optind, argv.begin() + argc);
    std::string message = "unexpected argument " + QuotedValue(left[1]);
    // A value given to an option of an optional value as the next word.
    for (const auto& [option, next] : bare) {
      if (std::find(left.begin(), left.end(), next) != left.end()) {
        message = "unexpected argument " + QuotedValue(next) + "; " + option +
                  " takes its value joined with \"=\": " + option + "=" + QuotedForShell(next);
        break;
      }
    }
    return {{}, message};
  }
  options.input = argv[static_cast<std::size_t>(optind)];
  options.picture.drawing.glyphsOf = options.glyphsOf.has_value();
  // The ways of choosing symbols, of which one at most is given.
  if (std::string conflict = ConflictOf(options.picture.drawing); !conflict.empty()) return {{}, conflict};
  const PictureOptions& picture = options.picture.options;
  if (options.original && picture.Sized()) {
    return {
        {},
        std::string("--original and ") + (picture.width != 0 ? "--width" : "--height") + " cannot be used together"};
  }
  if (options.animate && options.form != ArtForm::Html) return {{}, "--animate is for --format html"};
  if (options.animate && options.picture.frame != 0) return {{}, "--animate and --frame cannot be used together"};
  if (options.animate && (options.symbolsOutput || !options.replacements.empty())) {
    return {{},
            std::string("--animate and ") + (options.symbolsOutput ? "--symbols" : "--replace") +
                " cannot be used together: each frame has symbols of its own"};
  }
  if (options.picture.frame != 0 && (options.loops || options.duration)) {
    return {{}, std::string(options.loops ? "--loops" : "--duration") + " and --frame cannot be used together"};
  }
  if (options.size && !options.font) return {{}, "--size is for --font only: the built-in font is 16 pixels high"};
  if (options.artOutput == "-" && options.symbolsOutput == "-") {
    return {{}, "-o - and --symbols - cannot both take standard output"};
  }
  if (options.artOutput && options.symbolsOutput && *options.artOutput != "-" && *options.symbolsOutput != "-" &&
      SameFile(*options.artOutput, *options.symbolsOutput)) {
    return {{}, "-o and --symbols name the same file"};
  }
  return {options, {}};
}

}  // namespace

}  // namespace morvexa::cli
