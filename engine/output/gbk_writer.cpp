// The art text itself: its bytes of code page 936 as they are, each line
// followed by CR LF, with no colors.
#include "output/form_writers.h"

namespace morvexa {

namespace {

class GbkWriter final : public FormWriter {
 public:
  explicit GbkWriter(ArtWriter::Sink sink) : sink_(std::move(sink)) {}

  void LinePart(ByteStringView part, LineColors) override { sink_(part); }
  void EndLine() override { sink_(kLineBreak); }
  // Art text is already this form: it goes as it stands.
  void Lines(ByteStringView text, LineColors) override { sink_(text); }

 private:
  ArtWriter::Sink sink_;
};

}  // namespace

std::unique_ptr<FormWriter> MakeGbkWriter(const ArtFormSettings&, ArtWriter::Sink sink) {
  return std::make_unique<GbkWriter>(std::move(sink));
}

}  // namespace morvexa
