#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "morvexa/art_area.h"
#include "morvexa/art_form.h"
#include "morvexa/terminal_palette.h"

namespace morvexa {

struct ArtFormSettings {
  ArtForm form = ArtForm::Gbk;
  TerminalPalette terminal;
  std::string title = "Morvexa";  // the page's title (UTF-8)
  // In the ansi and html forms, the paper behind cells that have an ink
  // color and no paper of their own, so that they read on a terminal or a
  // page of any background; none: the terminal's or the page's own.
  Rgb paperBehindInk = kNoColor;
  // In the html form: a page of frames (see ArtWriter::Frame) with a small
  // script of its own that plays them, each for its delay, so many times
  // through (0: for ever) and for at most so many seconds (0: no limit).
  struct Playing {
    std::size_t plays = 0;
    double seconds = 0;
  };
  std::optional<Playing> playing;
};

// The writer of one form, the engine's own.
class FormWriter;

// Writes art line by line, with the colors of its cells (kNoColor: none),
// in one form, to a sink: nothing is held but the line at hand. Bytes that
// code page 936 cannot decode become U+FFFD in the forms of Unicode (and so
// do control characters, in a page), and are counted. Each form is a writer
// of its own (engine/output/form_writers.h).
class ArtWriter {
 public:
  using Sink = std::function<void(std::string_view)>;

  ArtWriter(const ArtFormSettings& settings, Sink sink);
  ~ArtWriter();

  // A line of art and the colors of each of its bytes (or none at all).
  void Line(ByteStringView line, LineColors colors = {});
  // Lines of art text, each followed by CR LF, and the colors of their
  // bytes (or none at all): the same bytes as Line of each.
  void Lines(ByteStringView text, LineColors colors = {});
  // A line too long to hold whole, in parts of whole symbols, each with the
  // colors of its bytes; then EndLine. The same bytes as Line of the parts
  // joined.
  void LinePart(ByteStringView part, LineColors colors = {});
  void EndLine();
  // Begins the art of the next frame of a page that plays (see
  // ArtFormSettings::playing), shown for delay milliseconds.
  void Frame(int delay);
  // Ends the art (a page's end).
  void Finish();

  // How many bytes became U+FFFD.
  std::size_t Undecodable() const;
  bool ShowsColors() const { return morvexa::ShowsColors(form_); }

 private:
  ArtForm form_;
  std::unique_ptr<FormWriter> writer_;
};

}  // namespace morvexa
