#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "morvexa/art_sink.h"
#include "morvexa/art_writer.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/replacing_file.h"

namespace morvexa::cli {

// One output of a command: standard output ("-"), or a file that replaces
// its target only at Commit. Bytes are gathered into large writes.
class Output {
 public:
  explicit Output(const std::string& destination);

  void Write(std::string_view bytes);
  // Every byte written and flushed; for a file, only Commit is left.
  void Finish();
  // The file it writes (see ReplacingFile::Identity); none for standard
  // output.
  std::pair<dev_t, ino_t> Identity() const { return file_ ? file_->Identity() : std::pair<dev_t, ino_t>{}; }
  void Commit();

 private:
  void Flush();

  std::optional<ReplacingFile> file_;
  std::string buffer_;
};

// What a command writes: the art, in its form, to a file (-o) or standard
// output, and the symbol list (--symbols), code page 936 with CR LF. The
// files are created before anything is written, and replace their targets
// only once all are complete: a command that fails writes none of them.
class Outputs {
 public:
  // art: where the art goes ("-" for standard output), or nothing when it
  // is not written at all.
  Outputs(const std::optional<std::string>& art, const ArtFormSettings& form,
          const std::optional<std::string>& symbols);

  // The next line of the art, with its cells' colors (or none).
  void WriteLine(ByteStringView line, LineColors colors = {});
  // The next lines, as art text (each followed by CR LF), with the colors
  // of their bytes (or none).
  void WriteLines(ByteStringView text, LineColors colors = {});
  // The next line in parts, then its end (see ArtSink::WriteLinePart).
  void WriteLinePart(ByteStringView part, LineColors colors = {});
  void EndLine();
  // Whether the art's form shows colors.
  bool ShowsColors() const { return writer_ && writer_->ShowsColors(); }
  // Writes the symbol list and puts every file in place; returns how many
  // bytes the art's form could not show (written as U+FFFD).
  std::size_t Finish(const MemoryCharList& list);

 private:
  std::optional<Output> art_, symbols_;
  std::optional<ArtWriter> writer_;
};

// The art written out line by line as it is drawn, never held whole.
class StreamedArt final : public ArtSink {
 public:
  explicit StreamedArt(Outputs& outputs) : outputs_(outputs) {}

  void Clear() override {}
  void WriteLine(std::size_t i, ByteStringView line) override;
  void WriteLines(std::size_t first, std::size_t count, ByteStringView text) override;
  CellColors Colors() const override { return outputs_.ShowsColors() ? CellColors::Own : CellColors::None; }
  void WriteColoredLine(std::size_t i, ByteStringView line, LineColors colors) override;
  void WriteColoredLines(std::size_t first, std::size_t count, ByteStringView text, LineColors colors) override;
  void WriteLinePart(ByteStringView part, LineColors colors) override { outputs_.WriteLinePart(part, colors); }
  void EndLine(std::size_t) override { outputs_.EndLine(); }

 private:
  Outputs& outputs_;
};

// The art handed line by line to a writer as it is drawn: the bytes
// StreamedArt writes of the same art in the same form.
class WrittenArt final : public ArtSink {
 public:
  explicit WrittenArt(ArtWriter& writer) : writer_(writer) {}

  void Clear() override {}
  void WriteLine(std::size_t, ByteStringView line) override { writer_.Line(line); }
  void WriteLines(std::size_t, std::size_t, ByteStringView text) override { writer_.Lines(text); }
  CellColors Colors() const override { return writer_.ShowsColors() ? CellColors::Own : CellColors::None; }
  void WriteColoredLine(std::size_t, ByteStringView line, LineColors colors) override { writer_.Line(line, colors); }
  void WriteColoredLines(std::size_t, std::size_t, ByteStringView text, LineColors colors) override {
    writer_.Lines(text, colors);
  }
  void WriteLinePart(ByteStringView part, LineColors colors) override { writer_.LinePart(part, colors); }
  void EndLine(std::size_t) override { writer_.EndLine(); }

 private:
  ArtWriter& writer_;
};

}  // namespace morvexa::cli
