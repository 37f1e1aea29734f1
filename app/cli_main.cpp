// morvexa-cli: the art engine from scripts.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "cli_locale.h"
#include "cli_options.h"
#include "cli_output.h"
#include "cli_player.h"
#include "cli_terminal.h"
#include "morvexa/art_size.h"
#include "morvexa/banner.h"
#include "morvexa/banner_filters.h"
#include "morvexa/convert_picture.h"
#include "morvexa/cp936.h"
#include "morvexa/failure.h"
#include "morvexa/figlet.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/picture.h"
#include "morvexa/picture_file.h"
#include "morvexa/refusals.h"
#include "morvexa/replace_char.h"
#include "morvexa/replacing_file.h"
#include "morvexa/save_recovery.h"
#include "morvexa/shown_path.h"
#include "morvexa/standard_streams.h"
#include "morvexa/temporary_files.h"
#include "morvexa/text_symbols.h"
#include "morvexa/text_to_asc.h"

namespace morvexa::cli {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kRefused = 2;

// A character in a message: itself with its code point (é (U+00E9)), or
// its code point alone when it would not show (a control character).
std::string ShownCharacter(char32_t c) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  // Controls, separators of lines, and the private use areas.
  if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029 || (c >= 0xE000 && c <= 0xF8FF) ||
      c >= 0xF0000) {
    return code;
  }
  return QuotedName(cp936::Utf8Encode(std::u32string(1, c))) + " (" + code + ")";
}

// Ends the command with a message on standard error and an exit status.
struct Stop {
  int status;
  std::string message;  // UTF-8
};

class Command {
 public:
  Command(const Options& options, const LocaleText& locale) : options_(options), locale_(locale) {}

  // Runs the command; its exit status when it was not a failure.
  int Run() {
    switch (options_.command) {
      case cli::Command::Text: RunText(); break;
      case cli::Command::Picture: return RunPicture();
      case cli::Command::Help: Print(HelpText(options_.helpFor)); break;
      case cli::Command::Version: Print(VersionText()); break;
    }
    return kDone;
  }

 private:
  static void Print(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
      throw Failure(FailureKind::StreamWriteError);
    }
  }

  ByteString FromCommandLine(const std::string& argument, const char* what) const {
    auto bytes = locale_.ToCp936(argument);
    if (!bytes) throw Stop{kRefused, std::string(what) + " holds a character that code page 936 cannot hold"};
    return *bytes;
  }

  std::u32string UnicodeFromCommandLine(const std::string& argument, const char* what) const {
    auto text = locale_.ToUnicode(argument);
    if (!text) throw Stop{kRefused, std::string(what) + " is not text of the locale's character set"};
    return *text;
  }

  // The characters of --hanzi, typed in the locale's character set, as
  // code page 936: those it cannot hold are refused, each named.
  ByteString HanziFromCommandLine(const std::string& argument) const {
    return InCodePage936(UnicodeFromCommandLine(argument, "--hanzi"), "--hanzi");
  }

  // The text of --hanzi-text, typed in the locale's character set, or of
  // the file "@FILE" names, in UTF-8 or else code page 936 (a file of
  // 16 MiB at most), as code page 936.
  ByteString HanziTextFromCommandLine(const std::string& argument) const {
    constexpr std::size_t kMostBytes = 16 << 20;
    if (argument.size() < 2 || argument[0] != '@') {
      return InCodePage936(UnicodeFromCommandLine(argument, "--hanzi-text"), "--hanzi-text");
    }
    const std::string path = argument.substr(1);
    std::ifstream file(path, std::ios::binary);
    std::string bytes;
    if (file) {
      bytes.resize(kMostBytes + 1);
      file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      bytes.resize(static_cast<std::size_t>(file.gcount()));
    }
    if (!file && !file.eof()) {
      throw Stop{kRefused, "--hanzi-text: cannot read " + ShownPath(path) + ": " + std::strerror(errno)};
    }
    if (bytes.size() > kMostBytes)
      throw Stop{kRefused, "--hanzi-text: " + ShownPath(path) + " is larger than the 16 MiB a text may have"};
    if (const auto unicode = cp936::Utf8Decode(bytes)) return InCodePage936(*unicode, "--hanzi-text");
    return ByteString(bytes);
  }

  // text as code page 936; its characters that it cannot hold are refused,
  // each named, as of what.
  static ByteString InCodePage936(const std::u32string& text, const std::string& what) {
    std::string outside;
    for (const char32_t c : text) {
      if (cp936::CanEncode(c)) continue;
      char named[16];
      std::snprintf(named, sizeof named, "U+%04X", static_cast<unsigned>(c));
      outside += (outside.empty() ? "" : ", ") + std::string(named);
    }
    if (!outside.empty()) throw Stop{kRefused, "code page 936 cannot hold " + outside + " of " + what};
    return cp936::Encode(text);
  }

  // The columns of the terminal that standard output shows the art on,
  // when it does: a banner wider than that goes on under itself. 0 when
  // the art goes to a file or a pipe.
  std::size_t TerminalColumns() const {
    const auto terminal = ShownOn();
    return terminal ? terminal->columns : 0;
  }

  // The terminal the art is shown on, when it is.
  std::optional<TerminalSize> ShownOn() const {
    if (ArtDestination() != "-") return {};
    return StandardOutputTerminal();
  }

  // The symbols of text art in the form: by their bytes, as the window
  // draws them, for code page 936; by the columns they take on a screen for
  // the forms of Unicode.
  TextSymbols SymbolsFor(const ArtFormSettings& form, std::u32string_view text, ByteString& fore,
                         ByteString& back) const {
    if (form.form == ArtForm::Gbk) {
      fore = FromCommandLine(options_.fore, "--fg");
      back = FromCommandLine(options_.back, "--bg");
      TextSymbols symbols = MakeTextSymbols(fore, back);
      if (symbols.selfCharacter) {
        for (const char32_t c : text) {
          if (c == U'\n' || c == U'\r' || cp936::CanEncode(c)) continue;
          throw Stop{kRefused, "--fg 字 draws each character with itself, but code page 936 cannot hold " +
                                   ShownCharacter(c) + "; --format utf8 can"};
        }
      }
      return symbols;
    }
    const std::u32string foreText = UnicodeFromCommandLine(options_.fore, "--fg");
    const std::u32string backText = UnicodeFromCommandLine(options_.back, "--bg");
    const auto symbols = MakeDisplaySymbols(foreText, backText);
    if (!symbols) throw Stop{kRefused, "--fg and --bg take symbols a terminal can show"};
    fore = cp936::Encode(foreText);
    back = cp936::Encode(backText);
    return *symbols;
  }

  // The --replace pairs, in order, in code page 936.
  std::vector<std::pair<ByteString, ByteString>> Replacements() const {
    std::vector<std::pair<ByteString, ByteString>> pairs;
    for (const auto& [oldText, newText] : options_.replacements) {
      pairs.emplace_back(FromCommandLine(oldText, "--replace OLD"), FromCommandLine(newText, "--replace NEW"));
    }
    return pairs;
  }

  // Selects the first entry of the list equal to symbol, or none, as a
  // person picks the symbol in the window's list.
  static void SelectListed(MemoryCharList& list, const ByteString& symbol) {
    const auto& entries = list.Entries();
    const auto found = std::find(entries.begin(), entries.end(), symbol);
    list.Select(found == entries.end() ? -1 : static_cast<int>(found - entries.begin()));
  }

  // Each --replace, in order, as the window's replace button: the first
  // entry equal to OLD is selected (none when there is none) and replaced
  // by NEW.
  void RunReplacements(MemoryCharList& list, MemoryArtArea& area) const {
    for (const auto& [oldSymbol, newSymbol] : Replacements()) {
      SelectListed(list, oldSymbol);
      const ReplaceResult result = ReplaceChar(list, newSymbol, area);
      if (result != ReplaceResult::Done) throw Stop{kRefused, std::string(RefusalOf(result).text)};
    }
  }

  // Where the art goes: the file of -o; standard output, unless the symbol
  // list takes it; or nowhere.
  std::optional<std::string> ArtDestination() const {
    if (options_.artOutput) return options_.artOutput;
    if (options_.symbolsOutput == "-") return {};
    return "-";
  }

  // The art's form: as asked; the saved art text for -o; on standard output,
  // the locale's own (code page 936 in a Chinese locale, else UTF-8) with
  // the terminal's colors when they are on (--color, NO_COLOR, a terminal).
  ArtFormSettings Form(const std::string& title) const {
    ArtFormSettings settings;
    settings.title = title;
    settings.terminal.colors = options_.palette ? *options_.palette : TerminalColorsShown();
    const bool noColor = std::getenv("NO_COLOR") && *std::getenv("NO_COLOR") != '\0';
    const bool shown = !options_.artOutput;
    bool colors = false;
    switch (options_.color) {
      case ColorWhen::Always: colors = true; break;
      case ColorWhen::Never: colors = false; break;
      case ColorWhen::Auto:
        colors = !noColor && (options_.form == ArtForm::Ansi ? !options_.colorGiven || isatty(STDOUT_FILENO)
                                                             : shown && isatty(STDOUT_FILENO));
        break;
    }
    if (options_.form) {
      settings.form = *options_.form == ArtForm::Ansi && !colors ? ArtForm::Utf8 : *options_.form;
    } else if (!shown || locale_.Chinese()) {
      settings.form = ArtForm::Gbk;
    } else {
      settings.form = colors ? ArtForm::Ansi : ArtForm::Utf8;
    }
    // Sixteen colors shown on a terminal are that terminal's own; files and
    // pipes keep xterm's.
    if (settings.form == ArtForm::Ansi && settings.terminal.colors == TerminalColors::Palette16 && shown &&
        isatty(STDOUT_FILENO)) {
      settings.terminal.sixteen = TerminalSixteen();
    }
    // A banner is shown in the terminal's own colors unless colors are
    // asked for; given its colors (--fg-color, --bg-color), it carries its
    // paper as well as its ink, so that it reads on any background.
    if (options_.command == cli::Command::Text) {
      if (!options_.form && options_.color == ColorWhen::Auto && !options_.textColorsGiven &&
          settings.form == ArtForm::Ansi) {
        settings.form = ArtForm::Utf8;
      }
      if (options_.textColorsGiven) settings.paperBehindInk = options_.blankColor;
    } else if (shown && isatty(STDOUT_FILENO)) {
      // A picture of colored ink alone is shown on the paper its symbols
      // were chosen for (files and pipes keep the reader's own).
      settings.paperBehindInk = 0xFFFFFF;
    }
    return settings;
  }

  void Finish(Outputs& outputs, const MemoryCharList& list) const {
    if (const std::size_t undecodable = outputs.Finish(list)) {
      std::cerr << locale_.ForTerminal("morvexa-cli: warning: " + std::to_string(undecodable) +
                                       " bytes that code page 936 cannot decode were written as U+FFFD\n");
    }
  }

  void WriteArt(const MemoryArtArea& area, const MemoryCharList& list, const ArtFormSettings& form) const {
    Outputs outputs(ArtDestination(), form, options_.symbolsOutput);
    std::vector<Rgb> ink, paper;
    for (std::size_t i = 0; i < area.LineCount(); ++i) {
      if (area.Colors() != CellColors::None) area.ColorsOf(i, ink, paper);
      outputs.WriteLine(area.GetLine(i), {ink, paper});
    }
    Finish(outputs, list);
  }

  // An in-memory area that keeps its colors when the form shows them.
  static MemoryArtArea AreaFor(const ArtFormSettings& form) {
    MemoryArtArea area;
    if (ShowsColors(form.form)) area.KeepColors();
    return area;
  }

  // --list-figlet: the FIGlet and TOIlet fonts found, one a line.
  static void ListFigletFonts() {
    std::string listed;
    for (const std::string& name : FigletFontsFound()) listed += name + '\n';
    Print(listed);
  }

  // Refuses the options of the other banners, and those of FIGlet fonts
  // without --figlet.
  void CheckFigletOptions() const {
    const FigletLayout asked = options_.figletLayout, plain;
    const bool laidOut =
        asked.mode != plain.mode || asked.justify != plain.justify || asked.direction != plain.direction;
    if (!options_.figlet) {
      if (laidOut || options_.filter) {
        throw Stop{kRefused, "--layout, --justify, --direction and --filter are for --figlet"};
      }
      return;
    }
    if (options_.filter) {
      if (const std::optional<std::string> unknown = UnknownFilter(*options_.filter)) {
        throw Stop{kRefused, "--filter: no filter " + QuotedName(*unknown) + " (there are " + FilterNames() + ")"};
      }
    }
    const char* other = options_.font        ? "--font"
                        : options_.size      ? "--size"
                        : options_.scale > 1 ? "--scale"
                        : options_.square    ? "--square"
                                             : nullptr;
    if (other) throw Stop{kRefused, std::string(other) + " and --figlet cannot be used together"};
  }

  // The characters text needs that font lacks, refused: each named, and
  // Chinese ones pointed to the built-in font, which has them.
  static void RefuseMissing(const FigletFont& font, std::u32string_view text) {
    const std::u32string missing = FigletMissing(font, text);
    if (missing.empty()) return;
    constexpr std::size_t kNamed = 12;
    std::string named;
    bool chinese = false;
    for (std::size_t i = 0; i < missing.size() && i < kNamed; ++i) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(missing[i]));
      named += std::string(i ? ", " : "") + code;
      if (missing[i] >= 0x20) named += " " + cp936::Utf8Encode(std::u32string(1, missing[i]));
      chinese |= (missing[i] >= 0x3400 && missing[i] <= 0x9FFF) || (missing[i] >= 0xF900 && missing[i] <= 0xFAFF);
    }
    if (missing.size() > kNamed) named += " and " + std::to_string(missing.size() - kNamed) + " more";
    std::string message = "--figlet: " + QuotedName(font.name) + " has no character for " + named;
    if (chinese) message += "; FIGlet fonts have no Chinese characters: without --figlet, the built-in font draws them";
    throw Stop{kRefused, message};
  }

  // A banner in a FIGlet or TOIlet font, in the art's form.
  void RunFiglet() const {
    const std::u32string text = UnicodeFromCommandLine(options_.input, "TEXT");
    if (text.empty()) throw Stop{kRefused, std::string(RefusalOf(TextToAscResult::EmptyText).text)};
    const FigletFont font = FigletFont::Open(*options_.figlet);
    RefuseMissing(font, text);
    FigletLayout layout = options_.figletLayout;
    const std::size_t terminal = TerminalColumns();
    layout.width = options_.picture.options.width ? options_.picture.options.width : terminal ? terminal : 80;
    const ArtFormSettings form = Form(cp936::Utf8Encode(text));
    const ColoredLines banner =
        Filtered(ColoredLines::Plain(FigletLines(font, text, layout)), options_.filter.value_or(""));
    MemoryArtArea area = AreaFor(form);
    MemoryCharList list;
    std::set<char32_t> listed;
    for (std::size_t y = 0; y < banner.lines.size(); ++y) {
      // Each character's color on each of its bytes.
      ByteString bytes;
      std::vector<Rgb> inks;
      for (std::size_t x = 0; x < banner.lines[y].size(); ++x) {
        const char32_t c = banner.lines[y][x];
        const std::size_t from = bytes.size();
        cp936::AppendEncoded(c, bytes);
        inks.insert(inks.end(), bytes.size() - from, banner.colors[y][x]);
        if (listed.insert(c).second) list.AddIfAbsent(ByteStringView(bytes).substr(from));
      }
      const bool colored = std::any_of(inks.begin(), inks.end(), [](Rgb ink) { return ink != kNoColor; });
      if (colored && area.Colors() != CellColors::None) {
        area.WriteColoredLine(y, bytes, inks);
      } else {
        area.WriteLine(y, bytes);
      }
    }
    RunReplacements(list, area);
    WriteArt(area, list, form);
  }

  void RunText() const {
    CheckFigletOptions();
    if (options_.listFiglet) return ListFigletFonts();
    if (options_.figlet) return RunFiglet();
    const std::u32string text = UnicodeFromCommandLine(options_.input, "TEXT");
    if (text.empty()) throw Stop{kRefused, std::string(RefusalOf(TextToAscResult::EmptyText).text)};
    const std::string title = cp936::Utf8Encode(text);
    const ArtFormSettings form = Form(title);
    ByteString fore, back;
    const TextSymbols symbols = SymbolsFor(form, text, fore, back);
    BannerOptions options;
    options.scale = options_.scale;
    options.square = options_.square;
    options.wrapColumns = options_.picture.options.width ? options_.picture.options.width : TerminalColumns();
    options.colors = {options_.inkColor, options_.blankColor};
    options.font = options_.font;
    options.size = options_.size.value_or(16);
    const Banner banner(text, symbols, options);
    if (banner.TooLarge()) throw Stop{kRefused, ArtTooLarge(banner.Symbols(), banner.Size(), true).what()};
    MemoryCharList list;
    ListTextSymbols(fore, back, list);
    // The symbol list is known before the art: the replacements are made
    // as the art passes, a line at a time.
    ByteReplacements replacements;
    for (const auto& [oldSymbol, newSymbol] : Replacements()) {
      SelectListed(list, oldSymbol);
      const ReplaceResult result = replacements.Add(list, newSymbol);
      if (result != ReplaceResult::Done) throw Stop{kRefused, std::string(RefusalOf(result).text)};
    }
    if (!replacements.AsItPasses()) {
      // A replacement that makes or takes a line break: on the whole art.
      MemoryArtArea area = AreaFor(form);
      MemoryCharList again;
      ListTextSymbols(fore, back, again);
      banner.Draw(area);
      RunReplacements(again, area);
      WriteArt(area, again, form);
      return;
    }
    Outputs outputs(ArtDestination(), form, options_.symbolsOutput);
    StreamedArt art(outputs);
    ReplacingSink replaced(art, replacements);
    banner.Draw(replaced);
    Finish(outputs, list);
  }

  // The way of drawing asked for, in the art's form: refused (exit 2)
  // before anything is read when it cannot be drawn there.
  WayOfDrawing Way(const ArtFormSettings& form) const {
    DrawingRequest drawing = options_.picture.drawing;
    if (drawing.hanzi) drawing.hanzi = HanziFromCommandLine(*drawing.hanzi);
    if (drawing.hanziText) drawing.hanziText = HanziTextFromCommandLine(*drawing.hanziText);
    const DrawingChoice choice = ChooseWayOfDrawing(drawing, {form.form, ShowsColors(form.form), FirstLook()});
    if (!choice.refusal.empty()) throw Stop{kRefused, choice.refusal};
    return choice.way;
  }

  // The picture's options in the art's form. Shown on a terminal with no
  // size, the art fits the terminal (but for --original). And the paper
  // form puts behind ink: black for art drawn light on dark.
  PictureOptions PictureOptionsFor(const Picture& picture, ArtFormSettings& form) const {
    PictureOptions options = options_.picture.options;
    // A terminal of few colors: the cells' colors are chosen from them.
    options.palette = form.form == ArtForm::Ansi ? form.terminal : TerminalPalette{};
    options.way = Way(form);
    const auto terminal = ShownOn();
    if (FirstLook()) {
      // Never more than a symbol a pixel, however large the terminal.
      const ArtSize fit = FitArtWithin(
          picture.Width(), picture.Height(), std::min<std::size_t>(terminal->columns, picture.Width()),
          std::min<std::size_t>(std::max<std::size_t>(terminal->rows, 2) - 1, picture.Height()), options.aspect);
      options.width = fit.columns;
      options.height = fit.lines;
    }
    // The font the art will be read in: the one asked for; on a terminal,
    // the one a terminal most likely draws in, at its size when it says it;
    // elsewhere the built-in font, so that files and scripts keep their art.
    if (options_.glyphsOf) {
      options.glyphs = {*options_.glyphsOf, kTerminalFontPixels, false};
    } else if (terminal) {
      // Chinese characters in the font fontconfig chooses for them in
      // monospace, as a terminal draws them.
      const bool chinese = std::holds_alternative<Hanzi>(options.way);
      options.glyphs = {chinese ? "monospace:lang=zh-cn" : "monospace",
                        terminal->fontPixels ? terminal->fontPixels : kTerminalFontPixels, true};
    }
    // Art of ink alone shown on a dark terminal is drawn light on dark,
    // as --invert draws it; so it is on one that does not say, dark being
    // the more common.
    if (terminal && OfInkAlone(options.way, ShowsColors(form.form)) && !Inverts(options.way) &&
        TerminalBackgroundDark().value_or(true)) {
      options.way = Inverted(options.way);
    }
    if (Inverts(options.way) && form.paperBehindInk != kNoColor) form.paperBehindInk = 0x000000;
    return options;
  }

  // Whether the picture is shown on a terminal with no size asked for: its
  // first look, which fits the terminal.
  bool FirstLook() const { return ShownOn() && !options_.picture.options.Sized() && !options_.original; }

  // Refuses, before anything is read, to write the art or the symbols over
  // the picture being read: by its name, another link, or as standard input.
  void CheckNotTheInput() const {
    struct stat input {};
    const bool standardInput = options_.input == "-";
    if (standardInput ? fstat(STDIN_FILENO, &input) != 0 || !S_ISREG(input.st_mode)
                      : stat(options_.input.c_str(), &input) != 0) {
      return;
    }
    struct Output {
      const std::optional<std::string>& file;
      const char* option;
      const char* what;
    };
    for (const Output& output :
         {Output{options_.artOutput, "-o", "art"}, Output{options_.symbolsOutput, "--symbols", "symbol list"}}) {
      struct stat target {};
      if (!output.file || *output.file == "-" || stat(output.file->c_str(), &target) != 0) continue;
      if (target.st_dev == input.st_dev && target.st_ino == input.st_ino) {
        throw Stop{kRefused, std::string(output.option) + " names the picture being read (" +
                                 (standardInput ? "standard input" : QuotedName(options_.input)) + "): the " +
                                 output.what + " would take its place"};
      }
    }
  }

  // Whether an animation would be played: the art goes to a terminal, as
  // it is, and no frame is asked for.
  bool PlaysOnTerminal() const {
    return ShownOn() && options_.picture.frame == 0 && options_.replacements.empty() && !options_.symbolsOutput;
  }

  // How an animation's frames are drawn on the terminal it plays on: as the
  // picture would be drawn there, and never larger than the terminal, so
  // that each frame is drawn over the one before. The same for every frame
  // (they share the canvas) until the terminal changes size.
  struct FrameLook {
    TerminalSize terminal;
    ArtFormSettings form;
    PictureOptions options;
  };
  FrameLook LookOnTerminal(const Picture& frame, TerminalSize terminal, const std::string& title) const {
    ArtFormSettings form = Form(title);
    PictureOptions options = PictureOptionsFor(frame, form);
    const std::size_t columns = terminal.columns, lines = std::max<std::size_t>(terminal.rows, 2) - 1;
    if (const ArtSize size = FitArtSize(frame.Width(), frame.Height(), options);
        size.columns > columns || size.lines > lines) {
      const ArtSize fit = FitArtWithin(frame.Width(), frame.Height(), std::min(columns, frame.Width()),
                                       std::min(lines, frame.Height()), options.aspect);
      options.width = fit.columns;
      options.height = fit.lines;
    }
    return {terminal, form, options};
  }

  // The art of an animation's frame, drawn as look says: streamed as a
  // still picture is, so that it is the bytes the still of that frame
  // shows, on the same paper.
  static std::string FrameArt(Picture frame, const FrameLook& look) {
    std::string out;
    ArtWriter writer(look.form, [&out](std::string_view bytes) { out += bytes; });
    WrittenArt art(writer);
    MemoryCharList list;
    ConvertPicture(std::move(frame), look.options, list, art);
    writer.Finish();
    return out;
  }

  // A frame's art, in its cells' colors, to a writer.
  static void WriteFrame(Picture frame, const PictureOptions& options, const ArtFormSettings& form, ArtWriter& writer) {
    MemoryArtArea area = AreaFor(form);
    MemoryCharList list;
    ConvertPicture(std::move(frame), options, list, area);
    std::vector<Rgb> ink, paper;
    for (std::size_t i = 0; i < area.LineCount(); ++i) {
      if (area.Colors() != CellColors::None) area.ColorsOf(i, ink, paper);
      writer.Line(area.GetLine(i), {ink, paper});
    }
  }

  // A page that plays every frame of the animation, as --animate asks.
  void WritePlayingPage(PictureFile& animation, const std::string& title) const {
    ArtFormSettings form = Form(title);
    form.playing = ArtFormSettings::Playing{options_.loops.value_or(static_cast<std::size_t>(animation.Plays())),
                                            options_.duration.value_or(0)};
    Output page(ArtDestination().value_or("-"));
    {
      ArtWriter writer(form, [&page](std::string_view bytes) { page.Write(bytes); });
      std::optional<PictureOptions> options;  // the same for every frame: they share the canvas
      while (animation.Next()) {
        Picture frame = animation.Frame();
        if (!options) options = PictureOptionsFor(frame, form);
        writer.Frame(animation.Delay());
        WriteFrame(std::move(frame), *options, form, writer);
      }
      writer.Finish();
    }
    page.Finish();
    page.Commit();
  }

  int RunPicture() const {
    const ArtFormSettings asked = Form("");
    Way(asked);
    if (options_.input == "-" && isatty(STDIN_FILENO)) {
      throw Stop{kRefused,
                 "standard input is a terminal, and a picture cannot be typed: pipe a picture in "
                 "(cat photo.jpg | morvexa-cli picture -) or redirect one (< photo.jpg)"};
    }
    if (options_.picture.drawing.fill && !ShowsColors(asked.form)) {
      std::cerr << "morvexa-cli: warning: --fill's colors are not shown in "
                << (asked.form == ArtForm::Gbk ? "code page 936" : "UTF-8")
                << " text; --format ansi or html shows them\n";
    }
    CheckNotTheInput();
    ReadSettings settings;
    settings.background = options_.picture.background;
    settings.emptyIsAPicture = false;
    const std::string title =
        options_.input == "-" ? "Morvexa" : std::filesystem::path(options_.input).filename().string();
    if ((options_.loops || options_.duration) && !options_.animate && !PlaysOnTerminal()) {
      throw Stop{kRefused, std::string(options_.loops ? "--loops" : "--duration") +
                               " is for an animation played on a terminal, or a page of --animate"};
    }
    // Opened once, and a stream read once, however it is drawn.
    PictureFile input = options_.input == "-" ? PictureFile::ReadStream(STDIN_FILENO, settings)
                                              : PictureFile::Open(options_.input, settings);
    if (options_.animate && input.Animated()) {
      WritePlayingPage(input, title);
      return kDone;
    }
    if (PlaysOnTerminal() && input.Animated()) {
      std::optional<FrameLook> look;
      return PlayOnTerminal(input, {options_.loops, options_.duration}, [&](Picture frame, TerminalSize terminal) {
        if (!look || look->terminal != terminal) look = LookOnTerminal(frame, terminal, title);
        return FrameArt(std::move(frame), *look);
      });
    }
    Picture picture = input.Still(options_.picture.frame > 0 ? options_.picture.frame - 1 : 0);
    MemoryCharList list;
    ArtFormSettings form = Form(title);
    const PictureOptions pictureOptions = PictureOptionsFor(picture, form);
    if (options_.replacements.empty()) {
      // Straight from the file to the outputs, a band of rows at a time.
      Outputs outputs(ArtDestination(), form, options_.symbolsOutput);
      StreamedArt art(outputs);
      ConvertPicture(std::move(picture), pictureOptions, list, art);
      Finish(outputs, list);
      return kDone;
    }
    // Replacements need the whole art and the final symbol list.
    MemoryArtArea area = AreaFor(form);
    ConvertPicture(std::move(picture), pictureOptions, list, area);
    RunReplacements(list, area);
    WriteArt(area, list, form);
    return kDone;
  }

  const Options& options_;
  const LocaleText& locale_;
};

// A failure as the command line tells it: its fixed text, with the
// system's reason when there is one; a picture of a kind the program knows
// but does not read, by that kind.
std::string Told(const Failure& failure, const Options& options) {
  const FailureCause& cause = failure.Cause();
  if (!cause.refusal.empty()) return FailureReportText(cause.refusal);
  if (!cause.unreadFormat.empty()) return cause.unreadFormat + " pictures are not read; convert it to PNG.";
  if (!cause.inputIs.empty()) {
    const std::string input = options.input == "-" ? "Standard input" : QuotedName(options.input);
    return input + " " + cause.inputIs + ".";
  }
  if (cause.missingGlyph != 0) {
    return FailureReportText(std::string(failure.what()) + ": " + QuotedName(cause.font) + " has no glyph for " +
                             ShownCharacter(cause.missingGlyph) + ".");
  }
  if (!cause.reason.empty()) return FailureReportText(std::string(failure.what()) + ": " + cause.reason);
  return FailureReportText(failure.what());
}

int Run(const Options& options, const LocaleText& locale) {
  try {
    return Command(options, locale).Run();
  } catch (const Stop& stop) {
    std::cerr << locale.ForTerminal("morvexa-cli: " + stop.message) << '\n';
    return stop.status;
  } catch (const Failure& failure) {
    std::cerr << locale.ForTerminal("morvexa-cli: " + Told(failure, options)) << '\n';
    return failure.Cause().refusal.empty() ? kFailed : kRefused;
  } catch (const ArtTooLarge& tooLarge) {
    std::cerr << "morvexa-cli: " << tooLarge.what() << '\n';
    return kRefused;
  } catch (const PictureTooLarge& tooLarge) {
    std::cerr << "morvexa-cli: " << tooLarge.what() << '\n';
    return kRefused;
  } catch (const NoSuchFrame& noSuchFrame) {
    std::cerr << "morvexa-cli: --frame " << options.picture.frame << ": " << noSuchFrame.what() << '\n';
    return kRefused;
  } catch (const std::bad_alloc&) {
    std::cerr << "morvexa-cli: Not enough memory to "
              << (options.command == cli::Command::Text ? "draw the banner." : "convert the picture.") << '\n';
    return kFailed;
  } catch (const std::exception& e) {
    std::cerr << locale.ForTerminal("morvexa-cli: " + FailureReportText(e.what())) << '\n';
    return kFailed;
  }
}

}  // namespace
}  // namespace morvexa::cli

int main(int argc, char** argv) {
  using namespace morvexa::cli;
  if (!morvexa::FillClosedStandardStreams()) return 1;
  std::setlocale(LC_ALL, "");
  const LocaleText locale;
  const ParseResult parsed = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.options) {
    std::cerr << "morvexa-cli: " << locale.ForTerminal(parsed.error) << "\n" << HelpHint(parsed.wrongIn) << "\n";
    return 2;
  }
  morvexa::temporary_files::CleanUpOnSignals();
  // Saves of earlier runs cut short, and those a save of this one settles;
  // not for the help and the version, which touch no file.
  if (parsed.options->command == morvexa::cli::Command::Text ||
      parsed.options->command == morvexa::cli::Command::Picture) {
    auto tell = [&locale](const morvexa::InterruptedSave& save) {
      std::cerr << locale.ForTerminal("morvexa-cli: warning: " + morvexa::Describe(save)) << '\n';
    };
    for (const morvexa::InterruptedSave& save : morvexa::RecoverInterruptedSaves()) tell(save);
    morvexa::OnInterruptedSaveSettled(tell);
    morvexa::OnStateFolderWithoutHome([&locale](const std::string& folder) {
      std::cerr << locale.ForTerminal(
                       "morvexa-cli: warning: with no home folder of the user's own, the records of "
                       "saves in place are kept in " +
                       folder + ", which a restart may empty")
                << '\n';
    });
    // A save that waits for another program's lock says so where someone
    // watches; it gives up after a few seconds.
    if (isatty(STDERR_FILENO)) {
      morvexa::OnWaitingForLock([&locale](const std::string& shown) {
        std::cerr << locale.ForTerminal("morvexa-cli: waiting for another program's lock on " + shown + "...")
                  << std::endl;
      });
    }
  }
  // Past a file-size limit a write fails with a message instead of ending
  // the program.
  std::signal(SIGXFSZ, SIG_IGN);
  return Run(*parsed.options, locale);
}
