// morvexa-cli: the art engine from scripts.
#include <algorithm>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli_options.h"
#include "cli_output.h"
#include "cp936.h"
#include "failure.h"
#include "memory_art_area.h"
#include "memory_char_list.h"
#include "open_picture.h"
#include "picture_to_asc.h"
#include "refusal_text.h"
#include "replace_char.h"
#include "temporary_files.h"
#include "text_to_asc.h"

namespace morvexa::cli {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kRefused = 2;

// Ends the command with a message on standard error and an exit status.
struct Stop {
  int status;
  std::string message;
};

ByteString FromCommandLine(const std::string& utf8, const char* what) {
  auto bytes = cp936::FromUtf8(utf8);
  if (!bytes) throw Stop{kRefused, std::string(what) + " holds a character that code page 936 cannot hold"};
  return *bytes;
}

// Each --replace, in order, as the window's replace button: the first entry
// equal to OLD is selected (none when there is none) and replaced by NEW.
void RunReplacements(const Options& options, MemoryCharList& list, MemoryArtArea& area) {
  for (const auto& [oldText, newText] : options.replacements) {
    const ByteString oldSymbol = FromCommandLine(oldText, "--replace OLD");
    const ByteString newSymbol = FromCommandLine(newText, "--replace NEW");
    const auto& entries = list.Entries();
    const auto found = std::find(entries.begin(), entries.end(), oldSymbol);
    list.Select(found == entries.end() ? -1 : static_cast<int>(found - entries.begin()));
    const ReplaceResult result = ReplaceChar(list, newSymbol, area);
    if (result != ReplaceResult::Done) throw Stop{kRefused, std::string(RefusalText(result))};
  }
}

void WriteArt(const Options& options, const MemoryArtArea& area, const MemoryCharList& list) {
  Outputs outputs(options.artOutput, options.symbolsOutput);
  for (std::size_t i = 0; i < area.LineCount(); ++i) outputs.WriteLine(area.GetLine(i));
  outputs.Finish(list);
}

void RunText(const Options& options) {
  const ByteString text = FromCommandLine(options.input, "TEXT");
  const ByteString fore = FromCommandLine(options.fore, "--fg");
  const ByteString back = FromCommandLine(options.back, "--bg");
  MemoryCharList list;
  MemoryArtArea area;
  const TextToAscResult result = TextToAsc(text, fore, back, list, area);
  if (result != TextToAscResult::Done) throw Stop{kRefused, std::string(RefusalText(result))};
  RunReplacements(options, list, area);
  WriteArt(options, area, list);
}

void RunPicture(const Options& options) {
  const auto picture = OpenPicture(options.input);
  MemoryCharList list;
  if (options.replacements.empty()) {
    // Straight from the file to the outputs, a band of rows at a time.
    Outputs outputs(options.artOutput, options.symbolsOutput);
    StreamedArtArea area(outputs);
    PictureToAsc(*picture, list, area);
    outputs.Finish(list);
    return;
  }
  // Replacements need the whole art and the final symbol list.
  MemoryArtArea area;
  PictureToAsc(*picture, list, area);
  RunReplacements(options, list, area);
  WriteArt(options, area, list);
}

int Run(const Options& options) {
  try {
    switch (options.command) {
      case Command::Help: std::cout << kUsage; return kDone;
      case Command::Text: RunText(options); break;
      case Command::Picture: RunPicture(options); break;
    }
    return kDone;
  } catch (const Stop& stop) {
    std::cerr << stop.message << '\n';
    return stop.status;
  } catch (const std::exception& e) {
    std::cerr << FailureReportText(e.what()) << '\n';
    return kFailed;
  }
}

}  // namespace
}  // namespace morvexa::cli

int main(int argc, char** argv) {
  using namespace morvexa::cli;
  const ParseResult parsed = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.options) {
    std::cerr << "morvexa-cli: " << parsed.error << "\n\n" << kUsage;
    return 2;
  }
  morvexa::temporary_files::CleanUpOnSignals();
  // Past a file-size limit a write fails with a message instead of ending
  // the program.
  std::signal(SIGXFSZ, SIG_IGN);
  return Run(*parsed.options);
}
