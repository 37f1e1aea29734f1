// morvexa-cli: the art engine from scripts.
#include <algorithm>
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

using Sink = std::function<void(std::string_view)>;

// Sends what emit produces to standard output ("-") or into a file,
// gathered into large writes.
void WriteTo(const std::string& destination, const std::function<void(const Sink&)>& emit) {
  constexpr std::size_t kChunk = 1 << 20;
  std::optional<ReplacingFile> file;
  if (destination != "-") file.emplace(destination);
  auto write = [&file](std::string_view bytes) {
    if (file) {
      file->Write(bytes);
    } else if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
      throw Failure(FailureKind::StreamWriteError);
    }
  };
  std::string buffer;
  buffer.reserve(kChunk);
  emit([&](std::string_view bytes) {
    buffer += bytes;
    if (buffer.size() >= kChunk) {
      write(buffer);
      buffer.clear();
    }
  });
  write(buffer);
  if (file) {
    file->Commit();
  } else if (std::fflush(stdout) != 0) {
    throw Failure(FailureKind::StreamWriteError);
  }
}

ByteString FromCommandLine(const std::string& utf8, const char* what) {
  auto bytes = cp936::FromUtf8(utf8);
  if (!bytes) throw Stop{kRefused, std::string(what) + " holds a character that code page 936 cannot hold"};
  return *bytes;
}

void WriteOutputs(const Options& options, const MemoryArtArea& area, const MemoryCharList& list) {
  // The art text exactly as the window saves it: each line and CR LF.
  auto artText = [&area](const Sink& out) {
    for (const auto& line : area.Lines()) {
      out(line);
      out(kLineBreak);
    }
  };
  if (options.artOutput) WriteTo(*options.artOutput, artText);
  if (options.symbolsOutput) {
    WriteTo(*options.symbolsOutput, [&list](const Sink& out) {
      for (const auto& entry : list.Entries()) {
        out(entry);
        out(kLineBreak);
      }
    });
  }
  if (!options.artOutput && options.symbolsOutput != "-") {
    WriteTo("-", [&area](const Sink& out) {
      for (const auto& line : area.Lines()) {
        out(cp936::ToUtf8(line));
        out("\n");
      }
    });
  }
}

void RunText(const Options& options, MemoryCharList& list, MemoryArtArea& area) {
  const ByteString text = FromCommandLine(options.input, "TEXT");
  const ByteString fore = FromCommandLine(options.fore, "--fg");
  const ByteString back = FromCommandLine(options.back, "--bg");
  const TextToAscResult result = TextToAsc(text, fore, back, OpenBuiltInFont, list, area);
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
      case Command::Help:
        std::cout << kUsage;
        return kDone;
      case Command::Text:
        RunText(options, list, area);
        break;
      case Command::Picture:
        RunPicture(options, list, area);
        break;
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
  return Run(*parsed.options);
}
