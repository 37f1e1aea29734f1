#include "morvexa/option_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace morvexa {

namespace {

constexpr std::size_t kMostCells = std::size_t{1} << 20;
constexpr std::size_t kMostFrames = 1000000;
constexpr std::size_t kMostLoops = 1000000;

constexpr unsigned kBothCommands = kTextCommand | kPictureCommand;
constexpr unsigned kPictureEverywhere = kPictureCommand | kWindow;

constexpr OptionChoice kForms[] = {{"gbk", static_cast<int>(ArtForm::Gbk)},
                                   {"utf8", static_cast<int>(ArtForm::Utf8)},
                                   {"html", static_cast<int>(ArtForm::Html)},
                                   {"ansi", static_cast<int>(ArtForm::Ansi)}};
constexpr OptionChoice kWhens[] = {
    {"always", static_cast<int>(ColorWhen::Always)}, {"yes", static_cast<int>(ColorWhen::Always)},
    {"force", static_cast<int>(ColorWhen::Always)},  {"never", static_cast<int>(ColorWhen::Never)},
    {"no", static_cast<int>(ColorWhen::Never)},      {"none", static_cast<int>(ColorWhen::Never)},
    {"auto", static_cast<int>(ColorWhen::Auto)},     {"tty", static_cast<int>(ColorWhen::Auto)},
    {"if-tty", static_cast<int>(ColorWhen::Auto)}};
constexpr OptionChoice kPalettes[] = {{"16", static_cast<int>(TerminalColors::Palette16)},
                                      {"256", static_cast<int>(TerminalColors::Palette256)},
                                      {"truecolor", static_cast<int>(TerminalColors::TrueColor)},
                                      {"24bit", static_cast<int>(TerminalColors::TrueColor)}};
using FigletMode = FigletLayout::Mode;
constexpr OptionChoice kFigletLayouts[] = {{"font", static_cast<int>(FigletMode::Font)},
                                           {"full", static_cast<int>(FigletMode::FullWidth)},
                                           {"kern", static_cast<int>(FigletMode::Kerning)},
                                           {"smush", static_cast<int>(FigletMode::Smushing)},
                                           {"overlap", static_cast<int>(FigletMode::Overlap)}};
constexpr OptionChoice kJustifications[] = {{"auto", static_cast<int>(FigletLayout::Justify::Auto)},
                                            {"left", static_cast<int>(FigletLayout::Justify::Left)},
                                            {"center", static_cast<int>(FigletLayout::Justify::Center)},
                                            {"right", static_cast<int>(FigletLayout::Justify::Right)}};
constexpr OptionChoice kDirections[] = {{"font", static_cast<int>(FigletLayout::Direction::Font)},
                                        {"left-to-right", static_cast<int>(FigletLayout::Direction::LeftToRight)},
                                        {"right-to-left", static_cast<int>(FigletLayout::Direction::RightToLeft)}};
constexpr OptionChoice kBlockKinds[] = {{"quadrants", static_cast<int>(BlockKind::Quadrants)},
                                        {"fine", static_cast<int>(BlockKind::Fine)},
                                        {"braille", static_cast<int>(BlockKind::Braille)}};

using V = ValueTaken;
using K = ValueKind;
using O = CommandOptions;
using Value = OptionValue;

// In the order each help lists them: the text command's, the picture
// options, then those of both commands.
constexpr OptionEntry kTable[] = {
    {"fg", 0, V::Needed, K::Word, 0, 0, "SYMBOL", "a symbol", kTextCommand,
     "the foreground symbol (default \"$\"; \"字\" draws each character\nwith itself)",
     [](O& o, const Value& v) { o.fore = v.text; }},
    {"bg", 0, V::Needed, K::Word, 0, 0, "SYMBOL", "a symbol", kTextCommand, "the background symbol (default a space)",
     [](O& o, const Value& v) { o.back = v.text; }},
    {"fg-color", 0, V::Needed, K::Color, 0, 0, "COLOR", "a color: #RRGGBB, #RGB or a name such as black", kTextCommand,
     "the color of the foreground symbols in the forms that show\ncolors (default black; #RRGGBB, #RGB or a name)",
     [](O& o, const Value& v) { o.inkColor = v.color, o.textColorsGiven = true; }},
    {"bg-color", 0, V::Needed, K::Color, 0, 0, "COLOR", "a color: #RRGGBB, #RGB or a name such as white", kTextCommand,
     "the color of the background symbols in the forms that show\ncolors (default white; #RRGGBB, #RGB or a name)",
     [](O& o, const Value& v) { o.blankColor = v.color, o.textColorsGiven = true; }},
    {"scale",
     0,
     V::Needed,
     K::Whole,
     1,
     8,
     "N",
     {},
     kTextCommand,
     "draw each pixel as N x N symbols (1 to 8)",
     [](O& o, const Value& v) { o.scale = static_cast<int>(v.whole); }},
    {"square",
     0,
     V::None,
     K::Flag,
     0,
     0,
     {},
     {},
     kTextCommand,
     "draw each pixel two symbols wide, square on a terminal",
     [](O& o, const Value&) { o.square = true; }},
    {"figlet", 0, V::Needed, K::Name, 0, 0, "FONT", "a FIGlet or TOIlet font's name or file", kTextCommand,
     "draw in a FIGlet font (.flf) or TOIlet font (.tlf), by its name\n(looked for in $FIGLET_FONTDIR and where "
     "figlet and toilet keep\ntheirs) or its file, laid out as figlet lays it out",
     [](O& o, const Value& v) { o.figlet = std::string(v.text); }},
    {"list-figlet",
     0,
     V::None,
     K::Flag,
     0,
     0,
     {},
     {},
     kTextCommand,
     "list the FIGlet and TOIlet fonts found, one a line, and exit",
     [](O& o, const Value&) { o.listFiglet = true; }},
    {"filter", 0, V::Needed, K::Name, 0, 0, "NAME[:NAME]", "filters' names, separated by \":\"", kTextCommand,
     "with --figlet, filter the banner, in order: crop, flip, flop, 180,\nleft, right, border, rainbow (or gay), "
     "metal; their colors show\nin the ansi and html forms",
     [](O& o, const Value& v) { o.filter = std::string(v.text); }},
    {"layout",
     0,
     V::Needed,
     K::Choice,
     0,
     0,
     "WAY",
     {},
     kTextCommand,
     "with --figlet, how characters meet: font (the font's own way),\nfull (full width), kern (touching), smush "
     "(the font's smushing\nrules, forced) or overlap (one column over, the later wins)",
     [](O& o, const Value& v) { o.figletLayout.mode = static_cast<FigletMode>(v.choice); },
     kFigletLayouts},
    {"justify",
     0,
     V::Needed,
     K::Choice,
     0,
     0,
     "SIDE",
     {},
     kTextCommand,
     "with --figlet, left, center or right within --width (auto: the\nside the font's direction starts from)",
     [](O& o, const Value& v) { o.figletLayout.justify = static_cast<FigletLayout::Justify>(v.choice); },
     kJustifications},
    {"direction",
     0,
     V::Needed,
     K::Choice,
     0,
     0,
     "WAY",
     {},
     kTextCommand,
     "with --figlet, left-to-right or right-to-left (font: the font's)",
     [](O& o, const Value& v) { o.figletLayout.direction = static_cast<FigletLayout::Direction>(v.choice); },
     kDirections},
    {"font", 0, V::Needed, K::Name, 0, 0, "FONT", "an installed font's name or a font file", kTextCommand,
     "draw with an installed font, by its name (as fc-list shows it)\nor its file, instead of the built-in one",
     [](O& o, const Value& v) { o.font = std::string(v.text); }},
    {"size",
     0,
     V::Needed,
     K::Whole,
     4,
     512,
     "PX",
     {},
     kTextCommand,
     "the font's size in pixels, the lines a row takes (default 16)",
     [](O& o, const Value& v) { o.size = static_cast<int>(v.whole); }},

    {"width",
     0,
     V::Needed,
     K::Whole,
     0,
     kMostCells,
     "N",
     {},
     kPictureEverywhere | kTextCommand,
     "N columns of art (0: one a pixel); without --height, the lines\nfollow the picture's proportions and --aspect; "
     "of text, the\nwidest a banner's line may be (by default the terminal's, or\nwith --figlet 80 in files "
     "and pipes)",
     [](O& o, const Value& v) { o.picture.options.width = v.whole; },
     {},
     {},
     "N columns of art (0: one a pixel)"},
    {"height",
     0,
     V::Needed,
     K::Whole,
     0,
     kMostCells,
     "N",
     {},
     kPictureEverywhere,
     "N lines of art (0: one a pixel)",
     [](O& o, const Value& v) { o.picture.options.height = v.whole; }},
    {"aspect",
     0,
     V::Needed,
     K::Number,
     0.01,
     100,
     "R",
     {},
     kPictureEverywhere,
     "the width of a text cell over its height (default 0.5)",
     [](O& o, const Value& v) { o.picture.options.aspect = v.number; }},
    {"colors",
     0,
     V::Needed,
     K::Whole,
     2,
     PictureOptions::kMostColors,
     "K",
     {},
     kPictureEverywhere,
     "reduce the picture to at most K colors (2 to 95); a picture\ngiven a size is reduced to 95 when it has more",
     [](O& o, const Value& v) { o.picture.drawing.colors = static_cast<int>(v.whole); },
     {},
     {},
     "reduce the picture to at most K colors (2 to 95)"},
    {"dither",
     0,
     V::None,
     K::Flag,
     0,
     0,
     {},
     {},
     kPictureEverywhere,
     "diffuse the error of reduced colors",
     [](O& o, const Value&) { o.picture.drawing.dither = true; }},
    {"shapes",
     0,
     V::None,
     K::Flag,
     0,
     0,
     {},
     {},
     kPictureEverywhere,
     "give each cell the symbol whose glyph is most like the pixels\nit covers (8 x 16 samples a cell): their tones "
     "and edges seen\nfrom a reading distance, or, with --fill, their shapes",
     [](O& o, const Value&) { o.picture.drawing.shapes = true; },
     {},
     {},
     "give each cell the symbol whose glyph is most like it"},
    {"blocks", 0, V::Optional, K::Choice, 0, 0, "KIND", "quadrants, fine or braille", kPictureEverywhere,
     "draw cells with block elements, each of the best two colors of\nits pixels: quadrants (the default: halves, "
     "quadrants, eighths,\nthe full block; in the gbk form, those code page 936 holds),\nfine (the same fitted to 8 "
     "x 16 samples a cell, by their tones\nfirst: the first look on a terminal) or braille (2 x 4 dots a\ncell)",
     [](O& o, const Value& v) { o.picture.drawing.blocks = static_cast<BlockKind>(v.choice); }, kBlockKinds,
     "quadrants", "draw cells with block elements (in the window, those code\npage 936 holds)"},
    {"ramp",
     0,
     V::Optional,
     K::Ramp,
     0,
     0,
     "CHARS",
     {},
     kPictureEverywhere,
     "give each cell the symbol of its brightness, CHARS running\nfrom light to dark (default \" .:+xo%#@\", by "
     "their ink)",
     [](O& o, const Value& v) { o.picture.drawing.ramp = ByteString(v.text); },
     {},
     kDefaultRamp,
     "give each cell the symbol of its brightness"},
    {"hanzi",
     0,
     V::Optional,
     K::Word,
     0,
     0,
     "CHARS",
     {},
     kPictureCommand,
     "draw each cell, two columns wide, in the Chinese character of\nCHARS whose glyph is most like it, or the "
     "full-width space:\nlevel1 (the default: GB2312's 3,755 of the first level), all\n(its 6,763) or the "
     "characters themselves",
     [](O& o, const Value& v) { o.picture.drawing.hanzi = ByteString(v.text); },
     {},
     "level1"},
    {"hanzi-text", 0, V::Needed, K::Name, 0, 0, "TEXT", "a text, or @FILE for the text of a file", kPictureCommand,
     "lay the characters of TEXT (or of the file @FILE names)\nthrough the picture, one a cell two columns wide, "
     "in\nreading order and over again; spaces and line breaks are\nskipped, punctuation kept, ASCII made full-width",
     [](O& o, const Value& v) { o.picture.drawing.hanziText = ByteString(v.text); }},
    {"fill",
     0,
     V::None,
     K::Flag,
     0,
     0,
     {},
     {},
     kPictureEverywhere,
     "in the forms that show colors, give each cell a background\ncolor too: with --shapes, the best two colors of "
     "its pixels;\notherwise its own color, behind a symbol that stands out",
     [](O& o, const Value&) { o.picture.drawing.fill = true; },
     {},
     {},
     "give each cell a background color too"},
    {"invert",
     0,
     V::None,
     K::Flag,
     0,
     0,
     {},
     {},
     kPictureEverywhere,
     "light symbols on dark paper, for --ramp, --shapes, --blocks and\n--hanzi without colors (by default the ink is "
     "dark on "
     "light paper)",
     [](O& o, const Value&) { o.picture.drawing.invert = true; },
     {},
     {},
     "light symbols on dark paper (--ramp, --shapes, --blocks)"},
    {"original",
     0,
     V::None,
     K::Flag,
     0,
     0,
     {},
     {},
     kPictureCommand,
     "on a terminal, one symbol per pixel, as everywhere else",
     [](O& o, const Value&) { o.original = true; }},
    {"background", 0, V::Needed, K::Color, 0, 0, "COLOR", "a color: #RRGGBB, #RGB or a name such as white",
     kPictureCommand,
     "what transparent pixels are laid over (default white; #RRGGBB,\n#RGB or a name: black, white, red, green, "
     "blue, gray...)",
     [](O& o, const Value& v) { o.picture.background = v.color; }},
    {"frame",
     0,
     V::Needed,
     K::Whole,
     1,
     kMostFrames,
     "N",
     {},
     kPictureEverywhere,
     "draw frame N (from 1) of an animated GIF or WebP, composed",
     [](O& o, const Value& v) { o.picture.frame = v.whole; },
     {},
     {},
     "convert frame N (from 1) of an animated GIF or WebP"},
    {"loops",
     0,
     V::Needed,
     K::Whole,
     0,
     kMostLoops,
     "N",
     {},
     kPictureCommand,
     "play an animation N times through (0: for ever; default: as\nthe file says)",
     [](O& o, const Value& v) { o.loops = v.whole; }},
    {"duration", 0, V::Needed, K::Number, 0.1, 86400, "S", "a number of seconds from 0.1 to 86400", kPictureCommand,
     "stop playing an animation after S seconds", [](O& o, const Value& v) { o.duration = v.number; }},
    {"animate",
     0,
     V::None,
     K::Flag,
     0,
     0,
     {},
     {},
     kPictureCommand,
     "with --format html, a page that plays every frame",
     [](O& o, const Value&) { o.animate = true; }},
    {"glyphs-of", 0, V::Needed, K::Name, 0, 0, "FONT", "an installed font's name or a font file", kPictureCommand,
     "match the symbols of --shapes, the order of the ramp and the\ncharacters of --hanzi to the glyphs of FONT (an "
     "installed\nfont's name, as fc-list shows it, or a font file), the font the\nart will be read in; by default "
     "the terminal's (fontconfig's\nmonospace, for Chinese monospace:lang=zh-cn) when shown on a\nterminal, the "
     "built-in font's (GNU Unifont) in files and pipes",
     [](O& o, const Value& v) { o.glyphsOf = std::string(v.text); }},

    {"output", 'o', V::Needed, K::Word, 0, 0, "FILE", "a file, or \"-\" for standard output", kBothCommands,
     "write the art to FILE (\"-\": standard output), by default as code\npage 936 text with CR LF line breaks, as "
     "the window saves it;\nwithout it the art is shown on standard output",
     [](O& o, const Value& v) { o.artOutput = std::string(v.text); }},
    {"format", 0, V::Needed, K::Choice, 0, 0, "FORM", "gbk, utf8, html or ansi", kBothCommands,
     "the art's form: gbk (code page 936, CR LF), utf8 (UTF-8, LF),\nhtml (a page with the cells' colors) or ansi "
     "(UTF-8 with the\nterminal's color escapes); shown on a terminal it is ansi\nwhen colors are on, utf8 otherwise",
     [](O& o, const Value& v) { o.form = static_cast<ArtForm>(v.choice); }, kForms},
    {"color", 0, V::Optional, K::Choice, 0, 0, "WHEN", "always, never or auto", kBothCommands,
     "show colors always, never or auto (the default: on a terminal,\nunless NO_COLOR is set)",
     [](O& o, const Value& v) { o.color = static_cast<ColorWhen>(v.choice), o.colorGiven = true; }, kWhens, "always"},
    {"palette", 0, V::Needed, K::Choice, 0, 0, "P", "16, 256 or truecolor", kBothCommands,
     "the colors of ansi: 16, 256 or truecolor; by default truecolor\nwhen COLORTERM says so, 16 when the terminal "
     "(TERM) has no\nmore, 256 otherwise",
     [](O& o, const Value& v) { o.palette = static_cast<TerminalColors>(v.choice); }, kPalettes},
    {"symbols", 0, V::Needed, K::Word, 0, 0, "FILE", "a file, or \"-\" for standard output", kBothCommands,
     "write the symbol list to FILE, one entry a line (\"-\": standard\noutput)",
     [](O& o, const Value& v) { o.symbolsOutput = std::string(v.text); }},
    {"replace", 0, V::Needed, K::Pair, 0, 0, "OLD NEW", "a listed symbol OLD and its new symbol NEW", kBothCommands,
     "replace the listed symbol OLD with NEW throughout the art, as the\nwindow's replace button does (may be "
     "repeated; in order)",
     [](O& o, const Value& v) { o.replacements.emplace_back(v.text, v.second); }},
    {"help",
     'h',
     V::None,
     K::Flag,
     0,
     0,
     {},
     {},
     kBothCommands | kWindow,
     "display this help and exit",
     [](O& o, const Value&) { o.help = true; }},
    {"version",
     'V',
     V::None,
     K::Flag,
     0,
     0,
     {},
     {},
     kWindow,
     "output version information and exit",
     [](O&, const Value&) {}},
};

std::string Figure(double value) {
  std::array<char, 32> text{};
  // Whole numbers in full (1000000, not 1e+06).
  const auto result = value == std::floor(value) && std::abs(value) < 1e15
                          ? std::to_chars(text.data(), text.data() + text.size(), static_cast<long long>(value))
                          : std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), result.ptr);
}

// The column the words of an option's help start at, counted from 0.
constexpr std::size_t kHelpColumn = 22;

}  // namespace

std::span<const OptionEntry> OptionTable() { return kTable; }

const OptionEntry* FindOption(std::string_view name, unsigned taker) {
  for (const OptionEntry& entry : kTable) {
    if (entry.name == name && (entry.takers & taker) != 0) return &entry;
  }
  return nullptr;
}

std::string AllowedValue(const OptionEntry& option) {
  switch (option.kind) {
    case ValueKind::Whole: return "a whole number from " + Figure(option.least) + " to " + Figure(option.most);
    case ValueKind::Number:
      if (!option.allowed.empty()) break;
      return "a number from " + Figure(option.least) + " to " + Figure(option.most);
    case ValueKind::Ramp: return "at least two printable ASCII symbols";
    default: break;
  }
  return std::string(option.allowed);
}

std::string TakeOption(const OptionEntry& option, std::string_view shown, std::optional<std::string_view> given,
                       CommandOptions& options, std::string_view second) {
  OptionValue value;
  value.text = given.value_or(option.bare);
  value.second = second;
  const auto bad = [&] {
    return std::string(shown) + ": " + QuotedValue(value.text) + " is not " + AllowedValue(option);
  };
  switch (option.kind) {
    case ValueKind::Flag:
    case ValueKind::Word:
    case ValueKind::Pair: break;
    case ValueKind::Name:
      if (value.text.empty()) return bad();
      break;
    case ValueKind::Whole: {
      const auto n =
          WholeNumber(value.text, static_cast<std::size_t>(option.least), static_cast<std::size_t>(option.most));
      if (!n) return bad();
      value.whole = *n;
      break;
    }
    case ValueKind::Number: {
      const auto n = Number(value.text, option.least, option.most);
      if (!n) return bad();
      value.number = *n;
      break;
    }
    case ValueKind::Ramp:
      if (value.text.size() < 2 ||
          std::any_of(value.text.begin(), value.text.end(), [](char c) { return c < ' ' || c > '~'; })) {
        return bad();
      }
      break;
    case ValueKind::Color: {
      const auto color = ParseColor(value.text);
      if (!color) return bad();
      value.color = *color;
      break;
    }
    case ValueKind::Choice: {
      const auto chosen = std::find_if(option.choices.begin(), option.choices.end(),
                                       [&](const OptionChoice& c) { return c.word == value.text; });
      if (chosen == option.choices.end()) return bad();
      value.choice = chosen->value;
      break;
    }
  }
  option.set(options, value);
  return {};
}

std::string OptionsHelp(bool (*listed)(const OptionEntry& option), bool forTheWindow) {
  std::string help;
  for (const OptionEntry& entry : kTable) {
    if (!listed(entry)) continue;
    std::string named = entry.letter != 0 ? std::string("  -") + entry.letter + ", --" : std::string("      --");
    named += entry.name;
    switch (entry.value) {
      case ValueTaken::None: break;
      case ValueTaken::Needed:
        named += entry.kind == ValueKind::Pair ? " " : "=";
        named += entry.argument;
        break;
      case ValueTaken::Optional:
        named += "[=";
        named += entry.argument;
        named += "]";
        break;
    }
    const std::string_view text = forTheWindow && !entry.windowHelp.empty() ? entry.windowHelp : entry.help;
    if (named.size() + 2 > kHelpColumn) {
      named += "\n";
      named.append(kHelpColumn, ' ');
    } else {
      named.append(kHelpColumn - named.size(), ' ');
    }
    help += named;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = std::min(text.find('\n', at), text.size());
      if (at > 0) help.append(kHelpColumn, ' ');
      help.append(text.substr(at, end - at));
      help += '\n';
      at = end + 1;
    }
  }
  return help;
}

}  // namespace morvexa
