#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "art_area.h"
#include "cli_locale.h"
#include "memory_char_list.h"
#include "replacing_file.h"

namespace morvexa::cli {

// One output of a command: standard output ("-"), or a file that replaces
// its target only at Commit. Bytes are gathered into large writes.
class Output {
 public:
  explicit Output(const std::string& destination);

  void Write(std::string_view bytes);
  // Every byte written and flushed; for a file, only Commit is left.
  void Finish();
  void Commit();

 private:
  void Flush();

  std::optional<ReplacingFile> file_;
  std::string buffer_;
};

// What a command writes: the art file (-o; "-" for standard output), the
// symbols file (--symbols) and, when neither takes standard output, the
// art shown there in the locale's character set. The files are created before anything is
// written, and replace their targets only once all are complete: a command
// that fails writes none of them.
class Outputs {
 public:
  Outputs(const std::optional<std::string>& art, const std::optional<std::string>& symbols, const LocaleText& locale);

  // The next line of the art.
  void WriteLine(ByteStringView line);
  // The next lines of the art, as art text (each followed by CR LF).
  void WriteLines(ByteStringView text);
  // Writes the symbol list and puts every file in place.
  void Finish(const MemoryCharList& list);

 private:
  std::optional<Output> art_, symbols_, shown_;
  const LocaleText& locale_;
};

// The art written out line by line as it is drawn, never held whole.
class StreamedArtArea final : public ArtArea {
 public:
  explicit StreamedArtArea(Outputs& outputs) : outputs_(outputs) {}

  void Clear() override {}
  void WriteLine(std::size_t i, ByteStringView line) override;
  void WriteLines(std::size_t first, std::size_t count, ByteStringView text) override;
  std::size_t LineCount() const override { return lines_; }
  ByteString GetLine(std::size_t i) const override;
  void SetLine(std::size_t i, ByteStringView line) override;
  ByteString Text() const override;

 private:
  Outputs& outputs_;
  std::size_t lines_ = 0;
};

}  // namespace morvexa::cli
