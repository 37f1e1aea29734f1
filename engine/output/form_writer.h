#pragma once

#include <cstddef>
#include <memory>

#include "morvexa/art_sink.h"
#include "morvexa/art_writer.h"

namespace morvexa {

// Art leaving the program in one form: what ArtWriter hands each line to.
// Each form is a file of its own (gbk_writer.cpp, utf8_writer.cpp ...)
// that holds every rule of that form, and its maker in the table of
// form_writers.h. The calls come a part of a line at a time, never a byte:
// a form works through the part's bytes itself.
class FormWriter {
 public:
  virtual ~FormWriter() = default;

  // A part of a line of whole symbols, with the colors of its bytes (or
  // none at all).
  virtual void LinePart(ByteStringView part, LineColors colors) = 0;
  virtual void EndLine() = 0;
  // Lines of art text, each followed by CR LF, with the colors of their
  // bytes: each line's LinePart and EndLine, unless the form has a quicker
  // way to the same bytes.
  virtual void Lines(ByteStringView text, LineColors colors);
  // Begins the art of the next frame of a page that plays.
  virtual void Frame(int /*delay*/) {}
  // Ends the art.
  virtual void Finish() {}
  // How many bytes became U+FFFD.
  virtual std::size_t Undecodable() const { return 0; }
};

// Makes the writer of one form, which writes to the sink.
using FormWriterMaker = std::unique_ptr<FormWriter>(const ArtFormSettings& settings, ArtWriter::Sink sink);

}  // namespace morvexa
