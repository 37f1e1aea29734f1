#include "cli_options.h"

#include <getopt.h>

#include <algorithm>
#include <string_view>

#include "morvexa/nearest_word.h"
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

const char kOutputHelp[] =
    "  -o, --output=FILE   write the art to FILE (\"-\": standard output), by default as code\n"
    "                      page 936 text with CR LF line breaks, as the window saves it;\n"
    "                      without it the art is shown on standard output\n"
    "      --format=FORM   the art's form: gbk (code page 936, CR LF), utf8 (UTF-8, LF),\n"
    "                      html (a page with the cells' colors) or ansi (UTF-8 with the\n"
    "                      terminal's color escapes); shown on a terminal it is ansi\n"
    "                      when colors are on, utf8 otherwise\n"
    "      --color[=WHEN]  show colors always, never or auto (the default: on a terminal,\n"
    "                      unless NO_COLOR is set)\n"
    "      --palette=P     the colors of ansi: 16, 256 or truecolor; by default truecolor\n"
    "                      when COLORTERM says so, 16 when the terminal (TERM) has no\n"
    "                      more, 256 otherwise\n"
    "      --symbols=FILE  write the symbol list to FILE, one entry a line (\"-\": standard\n"
    "                      output)\n"
    "      --replace OLD NEW\n"
    "                      replace the listed symbol OLD with NEW throughout the art, as the\n"
    "                      window's replace button does (may be repeated; in order)\n"
    "  -h, --help          display this help and exit\n";

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
    "Options:\n"
    "      --fg=SYMBOL     the foreground symbol (default \"$\"; \"字\" draws each character\n"
    "                      with itself)\n"
    "      --bg=SYMBOL     the background symbol (default a space)\n"
    "      --fg-color=COLOR, --bg-color=COLOR\n"
    "                      the colors of the symbols in the forms that show colors\n"
    "                      (default black on white; #RRGGBB, #RGB or a name)\n"
    "      --scale=N       draw each pixel as N x N symbols (1 to 8)\n"
    "      --square        draw each pixel two symbols wide, square on a terminal\n"
    "      --font=FONT     draw with an installed font, by its name (as fc-list shows it)\n"
    "                      or its file, instead of the built-in one\n"
    "      --size=PX       the font's size in pixels, the lines a row takes (default 16)\n";

const char kPictureHelp[] =
    "Usage: morvexa-cli picture [OPTION]... FILE\n"
    "Converts the picture in FILE (\"-\": standard input) into art: by default one line a\n"
    "row of pixels and one printable ASCII symbol per color, in the order the colors are\n"
    "first met, the 95th and later colors sharing \"!\". BMP, PNG, JPEG, GIF and WebP\n"
    "pictures are read, told apart by their first bytes; of an animation, the first\n"
    "frame, unless it is shown on a terminal, where it plays in place until it ends or\n"
    "Ctrl-C is pressed.\n"
    "\n"
    "Options:\n"
    "      --width=N       N columns of art (0: one a pixel); without --height, the lines\n"
    "                      follow the picture's proportions and --aspect\n"
    "      --height=N      N lines of art (0: one a pixel)\n"
    "      --aspect=R      the width of a text cell over its height (default 0.5)\n"
    "      --colors=K      reduce the picture to at most K colors (2 to 95); a picture\n"
    "                      given a size is reduced to 95 when it has more\n"
    "      --dither        diffuse the error of reduced colors\n"
    "      --shapes        give each cell the symbol whose glyph is most like the pixels\n"
    "                      it covers (8 x 16 samples a cell): their tones and edges seen\n"
    "                      from a reading distance, or, with --fill, their shapes\n"
    "      --blocks[=KIND]\n"
    "                      draw cells with block elements, each of the best two colors of\n"
    "                      its pixels: quadrants (the default: halves, quadrants, eighths,\n"
    "                      the full block; in the gbk form, those code page 936 holds),\n"
    "                      fine (the same fitted to 8 x 16 samples a cell, by their tones\n"
    "                      first: the first look on a terminal) or braille (2 x 4 dots a\n"
    "                      cell)\n"
    "      --ramp[=CHARS]  give each cell the symbol of its brightness, CHARS running\n"
    "                      from light to dark (default \" .:+xo%#@\", by their ink)\n"
    "      --fill          in the forms that show colors, give each cell a background\n"
    "                      color too: with --shapes, the best two colors of its pixels;\n"
    "                      otherwise its own color, behind a symbol that stands out\n"
    "      --invert        light symbols on dark paper, for --ramp, --shapes and --blocks\n"
    "                      without colors (by default the ink is dark on light paper)\n"
    "      --original      on a terminal, one symbol per pixel, as everywhere else\n"
    "      --background=COLOR\n"
    "                      what transparent pixels are laid over (default white; #RRGGBB,\n"
    "                      #RGB or a name: black, white, red, green, blue, gray...)\n"
    "      --frame=N       draw frame N (from 1) of an animated GIF or WebP, composed\n"
    "      --loops=N       play an animation N times through (0: for ever; default: as\n"
    "                      the file says)\n"
    "      --duration=S    stop playing an animation after S seconds\n"
    "      --animate       with --format html, a page that plays every frame\n"
    "      --glyphs-of=FONT\n"
    "                      match the symbols of --shapes and the order of the ramp to the\n"
    "                      glyphs of FONT (an installed font's name, as fc-list shows it, or\n"
    "                      a font file), the font the art will be read in; by default the\n"
    "                      terminal's (fontconfig's monospace) when shown on a terminal,\n"
    "                      the built-in font's (GNU Unifont) in files and pipes\n";

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

// How many times, and for how long, an animation may be asked to play.
constexpr std::size_t kMostLoops = 1000000;
constexpr double kShortestDuration = 0.1, kLongestDuration = 86400;
constexpr char kDurationAllowed[] = "a number of seconds from 0.1 to 86400";

enum Id {
  kOutput = 'o',
  kHelp = 'h',
  kSymbols = 256,
  kReplace,
  kFore,
  kBack,
  kFormat,
  kColor,
  kForeColor,
  kBackColor,
  kScale,
  kSquare,
  kFont,
  kSize,
  kPalette,
  kOriginal,
  kLoops,
  kDuration,
  kAnimate,
  kGlyphsOf,
  kPicture,  // and on: the picture options both programs take, in their order
};

// Which command an option belongs to.
enum class Of { Both, Text, Picture };

// An option: its name, whether it takes a value, which command's it is, and
// what its value may be (for the messages); for a picture option both
// programs take, the shared entry that reads it.
struct OptionEntry {
  std::string name;
  int hasValue;
  int id;
  Of of;
  std::string allowed;
  const PictureOption* picture = nullptr;
  std::size_t least = 0, most = 0;  // of a whole number
};

// An option of a whole number from least to most, the range stated once.
OptionEntry WholeOption(const char* name, Id id, Of of, std::size_t least, std::size_t most) {
  return {name,
          required_argument,
          id,
          of,
          "a whole number from " + std::to_string(least) + " to " + std::to_string(most),
          nullptr,
          least,
          most};
}

const std::vector<OptionEntry>& Entries() {
  static const std::vector<OptionEntry> entries = [] {
    std::vector<OptionEntry> list = {
        {"output", required_argument, kOutput, Of::Both, "a file, or \"-\" for standard output"},
        {"symbols", required_argument, kSymbols, Of::Both, "a file, or \"-\" for standard output"},
        {"replace", required_argument, kReplace, Of::Both, "a listed symbol OLD and its new symbol NEW"},
        {"format", required_argument, kFormat, Of::Both, "gbk, utf8, html or ansi"},
        {"color", optional_argument, kColor, Of::Both, "always, never or auto"},
        {"palette", required_argument, kPalette, Of::Both, "16, 256 or truecolor"},
        {"help", no_argument, kHelp, Of::Both, ""},
        {"fg", required_argument, kFore, Of::Text, "a symbol"},
        {"bg", required_argument, kBack, Of::Text, "a symbol"},
        {"fg-color", required_argument, kForeColor, Of::Text, "a color: #RRGGBB, #RGB or a name such as black"},
        {"bg-color", required_argument, kBackColor, Of::Text, "a color: #RRGGBB, #RGB or a name such as white"},
        WholeOption("scale", kScale, Of::Text, 1, 8),
        {"square", no_argument, kSquare, Of::Text, ""},
        {"font", required_argument, kFont, Of::Text, "an installed font's name or a font file"},
        WholeOption("size", kSize, Of::Text, 4, 512),
        {"original", no_argument, kOriginal, Of::Picture, ""},
        WholeOption("loops", kLoops, Of::Picture, 0, kMostLoops),
        {"duration", required_argument, kDuration, Of::Picture, kDurationAllowed},
        {"animate", no_argument, kAnimate, Of::Picture, ""},
        {"glyphs-of", required_argument, kGlyphsOf, Of::Picture, "an installed font's name or a font file"},
    };
    int id = kPicture;
    for (const PictureOption& option : PictureOptionList()) {
      const int hasValue = option.value == ValueTaken::None     ? no_argument
                           : option.value == ValueTaken::Needed ? required_argument
                                                                : optional_argument;
      list.push_back({std::string(option.name), hasValue, id++, Of::Picture, AllowedValue(option), &option});
    }
    return list;
  }();
  return entries;
}

const OptionEntry* EntryOf(int id) {
  for (const OptionEntry& entry : Entries()) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

// How an option is named in messages: "-o" for output given short.
std::string Named(const OptionEntry& entry, bool shortForm) {
  std::string named(shortForm ? "-" : "--");
  if (shortForm) {
    named.push_back(static_cast<char>(entry.id));
  } else {
    named.append(entry.name);
  }
  return named;
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
  std::vector<std::string> names = {"-o", "-h"};
  for (const OptionEntry& entry : Entries()) names.push_back("--" + entry.name);
  std::string message = "unknown option " + option;
  if (const auto nearest = NearestWord(option, names)) message += "; did you mean " + *nearest + "?";
  return message;
}

}  // namespace

std::string HelpText(Command command) {
  switch (command) {
    case Command::Text: return std::string(kTextHelp) + kOutputHelp + "\n" + kHelpEnd;
    case Command::Picture: return std::string(kPictureHelp) + kOutputHelp + "\n" + kPictureNotes + "\n" + kHelpEnd;
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
  const Of mine = text ? Of::Text : Of::Picture;

  // getopt_long works on a writable argv, and moves the words that are not
  // options after those that are; the command takes argv[0]'s place.
  std::vector<std::string> words(args);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(words.size());
  std::vector<option> longOptions;
  for (const OptionEntry& entry : Entries()) {
    longOptions.push_back({entry.name.c_str(), entry.hasValue, nullptr, entry.id});
  }
  longOptions.push_back({nullptr, 0, nullptr, 0});

  // Options of an optional value given with none, and the word after each
  // as first given: a value meant for them, should it be left over.
  std::vector<std::pair<std::string, std::string>> bare;
  PictureRequest request;
  optind = 0;  // starts getopt afresh
  opterr = 0;
  for (;;) {
    const int c = getopt_long(argc, argv.data(), ":o:h", longOptions.data(), nullptr);
    if (c == -1) break;
    if (c == '?') {
      if (optopt != 0 && optopt < 256) return {{}, UnknownOption("-" + std::string(1, static_cast<char>(optopt)))};
      return {{}, UnknownOption(argv[static_cast<std::size_t>(optind - 1)])};
    }
    const OptionEntry* entry = EntryOf(c == ':' ? optopt : c);
    // The word the option was given in: the one before its value, when that
    // came as a word of its own.
    const char* given = argv[static_cast<std::size_t>(optind - 1)];
    if (optarg && optind >= 2 && optarg == given) given = argv[static_cast<std::size_t>(optind - 2)];
    const std::string name = Named(*entry, given[1] != '-');
    if (c == ':') return {{}, name + " needs a value: " + entry->allowed};
    if (entry->picture && entry->of == mine) {
      const std::optional<std::string_view> value = optarg ? std::optional<std::string_view>(optarg) : std::nullopt;
      if (std::string wrong = TakePictureOption(*entry->picture, name, value, request); !wrong.empty()) {
        return {{}, wrong};
      }
      if (entry->hasValue == optional_argument && !optarg && optind < argc) {
        bare.emplace_back(name, argv[static_cast<std::size_t>(optind)]);
      }
      continue;
    }
    if (entry->of != Of::Both && entry->of != mine) {
      return {{}, name + " is for the " + (entry->of == Of::Text ? "text" : "picture") + " command only"};
    }
    const std::string value = optarg ? optarg : "";
    // "--width: "abc" is not a whole number from 0 to 1048576"
    const auto bad = [&] { return ParseResult{{}, name + ": " + QuotedValue(value) + " is not " + entry->allowed}; };
    if (entry->hasValue == optional_argument && !optarg && optind < argc) {
      bare.emplace_back(name, argv[static_cast<std::size_t>(optind)]);
    }
    switch (entry->id) {
      case kOutput: options.artOutput = value; break;
      case kSymbols: options.symbolsOutput = value; break;
      case kReplace:
        // NEW is the word after OLD, whatever it looks like.
        if (optind >= argc) return {{}, name + " needs OLD and NEW: a listed symbol and its new symbol"};
        options.replacements.emplace_back(value, argv[static_cast<std::size_t>(optind++)]);
        break;
      case kFore: options.fore = value; break;
      case kBack: options.back = value; break;
      case kForeColor:
      case kBackColor: {
        const auto color = ParseColor(value);
        if (!color) return bad();
        (entry->id == kForeColor ? options.inkColor : options.blankColor) = *color;
        options.textColorsGiven = true;
        break;
      }
      case kScale: {
        const auto n = WholeNumber(value, entry->least, entry->most);
        if (!n) return bad();
        options.scale = static_cast<int>(*n);
        break;
      }
      case kSquare: options.square = true; break;
      case kGlyphsOf:
        if (value.empty()) return bad();
        options.glyphsOf = value;
        break;
      case kFont:
        if (value.empty()) return bad();
        options.font = value;
        break;
      case kSize: {
        const auto n = WholeNumber(value, entry->least, entry->most);
        if (!n) return bad();
        options.size = static_cast<int>(*n);
        break;
      }
      case kOriginal: options.original = true; break;
      case kLoops: {
        const auto n = WholeNumber(value, entry->least, entry->most);
        if (!n) return bad();
        options.loops = *n;
        break;
      }
      case kDuration: {
        const auto seconds = Number(value, kShortestDuration, kLongestDuration);
        if (!seconds) return bad();
        options.duration = *seconds;
        break;
      }
      case kAnimate: options.animate = true; break;
      case kPalette:
        if (value == "16") {
          options.palette = TerminalColors::Palette16;
        } else if (value == "256") {
          options.palette = TerminalColors::Palette256;
        } else if (value == "truecolor" || value == "24bit") {
          options.palette = TerminalColors::TrueColor;
        } else {
          return bad();
        }
        break;
      case kFormat:
        if (value == "gbk") {
          options.form = ArtForm::Gbk;
        } else if (value == "utf8") {
          options.form = ArtForm::Utf8;
        } else if (value == "html") {
          options.form = ArtForm::Html;
        } else if (value == "ansi") {
          options.form = ArtForm::Ansi;
        } else {
          return bad();
        }
        break;
      case kColor: {
        const std::string when = optarg ? value : "always";
        if (when == "always" || when == "yes" || when == "force") {
          options.color = ColorWhen::Always;
        } else if (when == "never" || when == "no" || when == "none") {
          options.color = ColorWhen::Never;
        } else if (when == "auto" || when == "tty" || when == "if-tty") {
          options.color = ColorWhen::Auto;
        } else {
          return bad();
        }
        options.colorGiven = true;
        break;
      }
      case kHelp:
        options.helpFor = options.command;
        options.command = Command::Help;
        return {options, {}};
    }
  }
  // What is left, after getopt moved the options first: the argument.
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
  options.picture = request.options;
  options.drawing = request.drawing;
  options.drawing.glyphsOf = options.glyphsOf.has_value();
  options.background = request.background;
  options.frame = request.frame;
  // The ways of choosing symbols, of which one at most is given.
  if (std::string conflict = ConflictOf(options.drawing); !conflict.empty()) return {{}, conflict};
  const PictureOptions& picture = options.picture;
  if (options.original && picture.Sized()) {
    return {
        {},
        std::string("--original and ") + (picture.width != 0 ? "--width" : "--height") + " cannot be used together"};
  }
  if (options.animate && options.form != ArtForm::Html) return {{}, "--animate is for --format html"};
  if (options.animate && options.frame != 0) return {{}, "--animate and --frame cannot be used together"};
  if (options.animate && (options.symbolsOutput || !options.replacements.empty())) {
    return {{},
            std::string("--animate and ") + (options.symbolsOutput ? "--symbols" : "--replace") +
                " cannot be used together: each frame has symbols of its own"};
  }
  if (options.frame != 0 && (options.loops || options.duration)) {
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
