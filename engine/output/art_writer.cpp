#include "morvexa/art_writer.h"

#include <algorithm>

#include "output/form_writers.h"

namespace morvexa {

namespace {

std::unique_ptr<FormWriter> MakeFormWriter(const ArtFormSettings& settings, ArtWriter::Sink sink) {
  const auto* entry = std::ranges::find(kFormWriters, settings.form, &std::pair<ArtForm, FormWriterMaker*>::first);
  return entry->second(settings, std::move(sink));
}

}  // namespace

ArtWriter::ArtWriter(const ArtFormSettings& settings, Sink sink)
    : form_(settings.form), writer_(MakeFormWriter(settings, std::move(sink))) {}

ArtWriter::~ArtWriter() = default;

void ArtWriter::Line(ByteStringView line, LineColors colors) {
  writer_->LinePart(line, colors);
  writer_->EndLine();
}

void ArtWriter::Lines(ByteStringView text, LineColors colors) { writer_->Lines(text, colors); }

void ArtWriter::LinePart(ByteStringView part, LineColors colors) { writer_->LinePart(part, colors); }

void ArtWriter::EndLine() { writer_->EndLine(); }

void ArtWriter::Frame(int delay) { writer_->Frame(delay); }

void ArtWriter::Finish() { writer_->Finish(); }

std::size_t ArtWriter::Undecodable() const { return writer_->Undecodable(); }

}  // namespace morvexa
