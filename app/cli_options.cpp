#include "cli_options.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <string_view>

#include "morvexa/replacing_file.h"
#include "morvexa_version.h"

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
    "                      unless NO_COLOR is set); 24-bit colors unless COLORTERM says\n"
    "                      otherwise, then 256\n"
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
    "      --bg=SYMBOL     the background symbol (default a space)\n"
    "      --fg-color=COLOR, --bg-color=COLOR\n"
    "                      the colors of the symbols in the forms that show colors\n"
    "                      (default black on white; #RRGGBB, #RGB or a name)\n";

const char kPictureHelp[] =
    "Usage: morvexa-cli picture [OPTION]... FILE\n"
    "Converts the picture in FILE (\"-\": standard input) into art: by default one line a\n"
    "row of pixels and one printable ASCII symbol per color, in the order the colors are\n"
    "first met, the 95th and later colors sharing \"!\". BMP, PNG, JPEG, GIF (its first\n"
    "frame) and WebP pictures are read, told apart by their first bytes.\n"
    "\n"
    "Options:\n"
    "      --width=N       N columns of art (0: one a pixel); without --height, the lines\n"
    "                      follow the picture's proportions and --aspect\n"
    "      --height=N      N lines of art (0: one a pixel)\n"
    "      --aspect=R      the width of a text cell over its height (default 0.5)\n"
    "      --colors=K      reduce the picture to at most K colors (2 to 95); a picture\n"
    "                      given a size is reduced to 95 when it has more\n"
    "      --dither        diffuse the error of reduced colors\n"
    "      --ramp[=CHARS]  give each cell the symbol of its brightness, CHARS running\n"
    "                      from light to dark (default \" .:-=+*#%@\")\n"
    "      --invert        run the ramp from dark to light, for light-on-dark terminals\n"
    "      --background=COLOR\n"
    "                      what transparent pixels are laid over (default white; #RRGGBB,\n"
    "                      #RGB or a name: black, white, red, green, blue, gray...)\n";

enum LongOnly {
  kSymbols = 256,
  kReplace,
  kFore,
  kBack,
  kWidth,
  kHeight,
  kAspect,
  kColors,
  kDither,
  kRamp,
  kInvert,
  kBackground,
  kFormat,
  kColor,
  kForeColor,
  kBackColor
};

// The whole of text as a number, read the same in every locale; nothing
// when it is not one.
template <typename Number, typename... Base>
std::optional<Number> Read(std::string_view text, Base... base) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base...);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return {};
  return value;
}

// A whole number from 0 to most; nothing otherwise.
std::optional<std::size_t> Count(std::string_view text, std::size_t most) {
  const auto value = Read<std::size_t>(text);
  if (!value || *value > most) return {};
  return value;
}

}  // namespace

std::optional<Rgb> ParseColor(std::string_view text) {
  static constexpr std::pair<std::string_view, Rgb> kNames[] = {
      {"black", 0x000000},  {"white", 0xFFFFFF}, {"red", 0xFF0000},     {"green", 0x008000}, {"blue", 0x0000FF},
      {"yellow", 0xFFFF00}, {"cyan", 0x00FFFF},  {"magenta", 0xFF00FF}, {"gray", 0x808080},  {"grey", 0x808080}};
  for (const auto& [name, rgb] : kNames) {
    if (text == name) return rgb;
  }
  if (text.starts_with('#')) text.remove_prefix(1);
  if ((text.size() != 6 && text.size() != 3) ||
      text.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos) {
    return {};
  }
  const Rgb value = *Read<Rgb>(text, 16);
  if (text.size() == 6) return value;
  // #RGB: each digit twice.
  return (value >> 8 & 0xF) * 0x110000 + (value >> 4 & 0xF) * 0x1100 + (value & 0xF) * 0x11;
}

namespace {}  // namespace

std::string HelpText(Command command) {
  switch (command) {
    case Command::Text: return std::string(kTextHelp) + kOutputHelp;
    case Command::Picture: return std::string(kPictureHelp) + kOutputHelp;
    case Command::Help:
    case Command::Version: break;
  }
  return kProgramHelp;
}

std::string VersionText() { return "morvexa-cli (Morvexa) " MORVEXA_VERSION "\n" MORVEXA_VERSION_NOTICE; }

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
      {"output", required_argument, nullptr, 'o'},
      {"symbols", required_argument, nullptr, kSymbols},
      {"replace", required_argument, nullptr, kReplace},
      {"fg", required_argument, nullptr, kFore},
      {"bg", required_argument, nullptr, kBack},
      {"help", no_argument, nullptr, 'h'},
      {"width", required_argument, nullptr, kWidth},
      {"height", required_argument, nullptr, kHeight},
      {"aspect", required_argument, nullptr, kAspect},
      {"colors", required_argument, nullptr, kColors},
      {"dither", no_argument, nullptr, kDither},
      {"ramp", optional_argument, nullptr, kRamp},
      {"invert", no_argument, nullptr, kInvert},
      {"background", required_argument, nullptr, kBackground},
      {"format", required_argument, nullptr, kFormat},
      {"color", optional_argument, nullptr, kColor},
      {"fg-color", required_argument, nullptr, kForeColor},
      {"bg-color", required_argument, nullptr, kBackColor},
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
      case kWidth:
      case kHeight:
      case kAspect:
      case kColors:
      case kDither:
      case kRamp:
      case kInvert:
      case kBackground: {
        const std::string option = name.substr(0, name.find('='));
        if (text) return {{}, option + " is for the picture command only"};
        PictureOptions& picture = options.picture;
        if (c == kWidth || c == kHeight) {
          const auto n = Count(optarg, std::size_t{1} << 20);
          if (!n) return {{}, option + " takes a whole number from 0 to 1048576"};
          (c == kWidth ? picture.width : picture.height) = *n;
        } else if (c == kAspect) {
          const auto aspect = Read<double>(optarg);
          if (!aspect || !(*aspect >= 0.01 && *aspect <= 100)) return {{}, "--aspect takes a number from 0.01 to 100"};
          picture.aspect = *aspect;
        } else if (c == kColors) {
          const auto n = Count(optarg, PictureOptions::kMostColors);
          if (!n || *n < 2) return {{}, "--colors takes a whole number from 2 to 95"};
          picture.colors = static_cast<int>(*n);
        } else if (c == kDither) {
          picture.dither = true;
        } else if (c == kRamp) {
          options.ramp = optarg ? std::string(optarg) : std::string(PictureOptions::kDefaultRamp);
        } else if (c == kInvert) {
          picture.invert = true;
        } else {
          const auto color = ParseColor(optarg);
          if (!color) return {{}, "--background takes a color: #RRGGBB, #RGB or a name such as white"};
          options.background = *color;
        }
        break;
      }
      case kFormat: {
        const std::string form = optarg;
        if (form == "gbk") {
          options.form = ArtForm::Gbk;
        } else if (form == "utf8") {
          options.form = ArtForm::Utf8;
        } else if (form == "html") {
          options.form = ArtForm::Html;
        } else if (form == "ansi") {
          options.form = ArtForm::Ansi;
        } else {
          return {{}, "--format takes gbk, utf8, html or ansi"};
        }
        break;
      }
      case kColor: {
        const std::string when = optarg ? optarg : "always";
        if (when == "always" || when == "yes" || when == "force") {
          options.color = ColorWhen::Always;
        } else if (when == "never" || when == "no" || when == "none") {
          options.color = ColorWhen::Never;
        } else if (when == "auto" || when == "tty" || when == "if-tty") {
          options.color = ColorWhen::Auto;
        } else {
          return {{}, "--color takes always, never or auto"};
        }
        options.colorGiven = true;
        break;
      }
      case kForeColor:
      case kBackColor: {
        const std::string option = c == kForeColor ? "--fg-color" : "--bg-color";
        if (!text) return {{}, option + " is for the text command only"};
        const auto color = ParseColor(optarg);
        if (!color) return {{}, option + " takes a color: #RRGGBB, #RGB or a name such as black"};
        (c == kForeColor ? options.inkColor : options.blankColor) = *color;
        break;
      }
      case 'h':
        options.helpFor = options.command;
        options.command = Command::Help;
        return {options, {}};
      case ':': return {{}, name.substr(0, name.find('=')) + " needs a value"};
      default:
        if (optopt != 0 && optopt < 256 && optopt != '?') {
          // A short option that needs a value and has none, or an unknown one.
          const bool needsValue = optopt == 'o';
          return {{},
                  needsValue ? "-o needs a value" : "unknown option: -" + std::string(1, static_cast<char>(optopt))};
        }
        return {{}, "unknown option: " + name.substr(0, name.find('='))};
    }
  }
  // What is left, after getopt moved the options first: the argument.
  if (optind >= argc) return {{}, text ? "TEXT is missing" : "FILE is missing"};
  if (optind + 1 < argc) return {{}, "unexpected argument: " + words[static_cast<std::size_t>(optind + 1)]};
  options.input = argv[static_cast<std::size_t>(optind)];
  if (options.ramp) {
    const std::string& ramp = *options.ramp;
    if (ramp.size() < 2 || std::any_of(ramp.begin(), ramp.end(), [](char ch) { return ch < ' ' || ch > '~'; })) {
      return {{}, "--ramp takes at least two printable ASCII symbols"};
    }
    if (options.picture.colors != 0) return {{}, "--ramp and --colors cannot be used together"};
    options.picture.ramp = ByteString(ramp);
  }
  if (options.picture.invert && !options.ramp) return {{}, "--invert is for --ramp only"};
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
