// The art as UTF-8, each line followed by LF, with no colors.
#include "output/form_writers.h"
#include "output/unicode_form_writer.h"

namespace morvexa {

namespace {

class Utf8Writer final : public UnicodeFormWriter<Utf8Writer, ArtForm::Utf8> {
 public:
  using UnicodeFormWriter::UnicodeFormWriter;

  static char* PutLineEnd(char* out, bool) {
    *out++ = '\n';
    return out;
  }
};

}  // namespace

std::unique_ptr<FormWriter> MakeUtf8Writer(const ArtFormSettings& settings, ArtWriter::Sink sink) {
  return std::make_unique<Utf8Writer>(settings, std::move(sink));
}

}  // namespace morvexa
