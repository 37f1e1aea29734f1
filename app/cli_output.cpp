#include "cli_output.h"

#include <cstdio>

#include "morvexa/failure.h"

namespace morvexa::cli {

namespace {
constexpr std::size_t kChunk = 1 << 20;
}  // namespace

Output::Output(const std::string& destination) {
  if (destination != "-") file_.emplace(destination);
  buffer_.reserve(kChunk);
}

void Output::Write(std::string_view bytes) {
  // Large pieces go out as they are, without a copy.
  if (buffer_.size() + bytes.size() >= kChunk / 4) {
    Flush();
    if (file_) {
      file_->Write(bytes);
    } else if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
      throw Failure(FailureKind::StreamWriteError);
    }
    return;
  }
  buffer_ += bytes;
}

void Output::Finish() {
  Flush();
  if (file_) {
    file_->Finish();
  } else if (std::fflush(stdout) != 0) {
    throw Failure(FailureKind::StreamWriteError);
  }
}

void Output::Commit() {
  if (file_) file_->Commit();
}

void Output::Flush() {
  if (file_) {
    file_->Write(buffer_);
  } else if (std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size()) {
    throw Failure(FailureKind::StreamWriteError);
  }
  buffer_.clear();
}

Outputs::Outputs(const std::optional<std::string>& art, const ArtFormSettings& form,
                 const std::optional<std::string>& symbols) {
  if (art) art_.emplace(*art);
  if (symbols) symbols_.emplace(*symbols);
  if (art_) writer_.emplace(form, [this](std::string_view bytes) { art_->Write(bytes); });
}

void Outputs::WriteLine(ByteStringView line, LineColors colors) {
  if (writer_) writer_->Line(line, colors);
}

void Outputs::WriteLinePart(ByteStringView part, LineColors colors) {
  if (writer_) writer_->LinePart(part, colors);
}

void Outputs::EndLine() {
  if (writer_) writer_->EndLine();
}

void Outputs::WriteLines(ByteStringView text, LineColors colors) {
  if (writer_) writer_->Lines(text, colors);
}

std::size_t Outputs::Finish(const MemoryCharList& list) {
  if (writer_) writer_->Finish();
  if (symbols_) {
    for (const auto& entry : list.Entries()) {
      symbols_->Write(entry);
      symbols_->Write(kLineBreak);
    }
  }
  // Both made ready before either is put in place, in one order whoever
  // saves the same files.
  std::optional<Output>* first = &art_;
  std::optional<Output>* second = &symbols_;
  if (art_ && symbols_ && symbols_->Identity() < art_->Identity()) std::swap(first, second);
  for (auto* output : {first, second}) {
    if (*output) (*output)->Finish();
  }
  if (art_) art_->Commit();
  if (symbols_) symbols_->Commit();
  return writer_ ? writer_->Undecodable() : 0;
}

void StreamedArt::WriteLine(std::size_t, ByteStringView line) { outputs_.WriteLine(line); }

void StreamedArt::WriteLines(std::size_t, std::size_t, ByteStringView text) { outputs_.WriteLines(text); }

void StreamedArt::WriteColoredLine(std::size_t, ByteStringView line, LineColors colors) {
  outputs_.WriteLine(line, colors);
}

void StreamedArt::WriteColoredLines(std::size_t, std::size_t, ByteStringView text, LineColors colors) {
  outputs_.WriteLines(text, colors);
}

}  // namespace morvexa::cli
