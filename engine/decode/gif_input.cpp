#include "decode/gif_input.h"

#include <algorithm>
#include <cstring>

#include "morvexa/failure.h"

namespace morvexa {

int ReadGifInput(GifFileType* gif, GifByteType* out, int length) {
  constexpr std::size_t kBufferBytes = 64 * 1024;
  auto* input = static_cast<GifInput*>(gif->UserData);
  std::size_t got = 0;
  const auto wanted = static_cast<std::size_t>(length);
  while (got < wanted) {
    const std::uint64_t end = input->bufferAt + input->buffer.size();
    if (input->at >= input->bufferAt && input->at < end) {
      const auto from = static_cast<std::size_t>(input->at - input->bufferAt);
      const std::size_t taken = std::min<std::size_t>(wanted - got, input->buffer.size() - from);
      std::memcpy(out + got, input->buffer.data() + from, taken);
      got += taken;
      input->at += taken;
      continue;
    }
    input->buffer.resize(kBufferBytes);
    input->bufferAt = input->at;
    try {
      input->buffer.resize(input->file->ReadSome(input->at, input->buffer));
    } catch (const Failure&) {
      input->buffer.clear();
    }
    if (input->buffer.empty()) break;
  }
  if (got < wanted) input->ended = true;
  return static_cast<int>(got);
}

void FailGif(const GifInput& input) {
  throw Failure(input.ended ? FailureKind::StreamReadError : FailureKind::BitmapNotValid);
}

void CloseGif::operator()(GifFileType* gif) const {
  int error = 0;
  DGifCloseFile(gif, &error);
}

GifHandle OpenGif(GifInput& input) {
  int error = 0;
  GifHandle gif(DGifOpen(&input, ReadGifInput, &error));
  if (!gif) FailGif(input);
  return gif;
}

void CheckGifData(const GifInput& input, std::uint64_t width, std::uint64_t height) {
  const FileBytes& file = *input.file;
  const std::uint64_t left = file.Size() > input.at ? file.Size() - input.at : 0;
  if (width * height <= (left + 2) * kMostGifPixelsPerByte) return;
  unsigned char last = 0;
  const bool whole = file.Size() > 0 && file.ReadSome(file.Size() - 1, {&last, 1}) == 1 && last == ';';
  throw Failure(whole ? FailureKind::BitmapNotValid : FailureKind::StreamReadError);
}

bool ReadGraphicControl(const GifByteType* extension, GraphicsControlBlock& control) {
  return extension && extension[0] >= 4 && DGifExtensionToGCB(extension[0], extension + 1, &control) == GIF_OK;
}

}  // namespace morvexa
