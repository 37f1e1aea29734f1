// morvexa-cli: the art engine from scripts.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "bmp_decoder.h"
#include "cli_options.h"
#include "cp936.h"
#include "failure.h"
#include "memory_art_area.h"
#include "memory_char_list.h"
#include "picture_to_asc.h"
#include "refusal_text.h"
#include "replace_char.h"
#include "replacing_file.h"
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

// One output of a command: standard output ("-"), or a file that replaces
// its target only at Commit. Bytes are gathered into large writes.
class Output {
 public:
  explicit Output(const std::string& destination) {
    if (destination != "-") file_.emplace(destination);
    buffer_.reserve(kChunk);
  }

  void Write(std::string_view bytes) {
    buffer_ += bytes;
    if (buffer_.size() >= kChunk) Flush();
  }

  // Every byte written and flushed; for a file, only Commit is left.
  void Finish() {
    Flush();
    if (file_) {
      file_->Finish();
    } else if (std::fflush(stdout) != 0) {
      throw Failure(FailureKind::StreamWriteError);
    }
  }

  void Commit() {
    if (file_) file_->Commit();
  }

 private:
  static constexpr std::size_t kChunk = 1 << 20;

  void Flush() {
    if (file_) {
      file_->Write(buffer_);
    } else if (std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size()) {
      throw Failure(FailureKind::StreamWriteError);
    }
    buffer_.clear();
  }

  std::optional<ReplacingFile> file_;
  std::string buffer_;
};

ByteString FromCommandLine(const std::string& utf8, const char* what) {
  auto bytes = cp936::FromUtf8(utf8);
  if (!bytes) throw Stop{kRefused, std::string(what) + " holds a character that code page 936 cannot hold"};
  return *bytes;
}

// Both files are created before either is written, and replace their
// targets only once both are complete: a command that fails writes neither.
void WriteOutputs(const Options& options, const MemoryArtArea& area, const MemoryCharList& list) {
  std::optional<Output> art, symbols;
  if (options.artOutput) art.emplace(*options.artOutput);
  if (options.symbolsOutput) symbols.emplace(*options.symbolsOutput);
  if (art) {
    // The art text exactly as the window saves it.
    art->Write(area.Text());
    art->Finish();
  }
  if (symbols) {
    for (const auto& entry : list.Entries()) {
      symbols->Write(entry);
      symbols->Write(kLineBreak);
    }
    symbols->Finish();
  }
  if (art) art->Commit();
  if (symbols) symbols->Commit();
  if (!options.artOutput && options.symbolsOutput != "-") {
    Output shown("-");
    for (std::size_t i = 0; i < area.LineCount(); ++i) {
      shown.Write(cp936::ToUtf8(area.GetLine(i)));
      shown.Write("\n");
    }
    shown.Finish();
  }
}

void RunText(const Options& options, MemoryCharList& list, MemoryArtArea& area) {
  const ByteString text = FromCommandLine(options.input, "TEXT");
  const ByteString fore = FromCommandLine(options.fore, "--fg");
  const ByteString back = FromCommandLine(options.back, "--bg");
  const TextToAscResult result = TextToAsc(text, fore, back, list, area);
  if (result != TextToAscResult::Done) throw Stop{kRefused, std::string(RefusalText(result))};
}

void RunPicture(const Options& options, MemoryCharList& list, MemoryArtArea& area) {
  // The decoded picture is let go before the art is written out.
  PictureToAsc(DecodeBmpFile(options.input), list, area);
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

int Run(const Options& options) {
  try {
    MemoryCharList list;
    MemoryArtArea area;
    switch (options.command) {
      case Command::Help: std::cout << kUsage; return kDone;
      case Command::Text: RunText(options, list, area); break;
      case Command::Picture: RunPicture(options, list, area); break;
    }
    RunReplacements(options, list, area);
    WriteOutputs(options, area, list);
    return kDone;
  } catch (const Stop& stop) {
    std::cerr << stop.message << '\n';
    return stop.status;
  } catch (const Failure& failure) {
    std::cerr << FailureReportText(failure.what()) << '\n';
    return kFailed;
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
