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

namespace {

// What the command line says of a GIF whose data ends too soon.
constexpr std::string_view kCutShort = "is cut short: a GIF frame's data ends before the frame is whole";

}  // namespace

void FailGif(const GifInput& input, int gifError) {
  if (input.ended) throw Failure(FailureKind::StreamReadError, {}, {.inputIs = std::string(kCutShort)});
  if (gifError == D_GIF_ERR_EOF_TOO_SOON) {
    throw Failure(FailureKind::BitmapNotValid, {}, {.inputIs = std::string(kCutShort)});
  }
  throw Failure(FailureKind::BitmapNotValid);
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

GifRecords::GifRecords(const FileBytes& file) : input_{&file} {
  gif_ = OpenGif(input_);
  if (!NextFrame()) FailGif(input_);  // no picture at all
}

bool GifRecords::NextFrame() {
  control_ = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif_.get(), &type) != GIF_OK) return Ended();
    if (type == TERMINATE_RECORD_TYPE) return false;
    if (type == IMAGE_DESC_RECORD_TYPE) return ReadGifImageDesc(*gif_) || Ended();
    if (type != EXTENSION_RECORD_TYPE) continue;
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif_.get(), &code, &block) != GIF_OK) return Ended();
    if (code == GRAPHICS_EXT_FUNC_CODE) (void)ReadGraphicControl(block, control_);
    const bool netscape =
        code == APPLICATION_EXT_FUNC_CODE && block && block[0] == 11 &&
        (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0);
    while (block) {
      if (DGifGetExtensionNext(gif_.get(), &block) != GIF_OK) return Ended();
      // The loop count: how many times the frames are played again.
      if (netscape && block && block[0] >= 3 && block[1] == 1 && !plays_) {
        const int again = block[2] | block[3] << 8;
        plays_ = again == 0 ? 0 : again + 1;
      }
    }
  }
}

bool GifRecords::Ended() const {
  if (!input_.ended) FailGif(input_);
  return false;
}

std::array<Rgb, 256> GifPalette(const GifFileType& gif) {
  const ColorMapObject& map = GifColors(gif);
  std::array<Rgb, 256> colors{};  // black past the file's color map
  for (int i = 0; i < map.ColorCount && i < 256; ++i) {
    const GifColorType& c = map.Colors[i];
    colors[static_cast<std::size_t>(i)] = static_cast<Rgb>(c.Red) << 16 | c.Green << 8 | c.Blue;
  }
  return colors;
}

bool ReadGifImageDesc(GifFileType& gif) {
  if (DGifGetImageDesc(&gif) != GIF_OK) return false;
  GifFreeSavedImages(&gif);
  gif.ImageCount = 0;
  return true;
}

void CheckGifData(const GifInput& input, std::uint64_t width, std::uint64_t height) {
  const FileBytes& file = *input.file;
  const std::uint64_t left = file.Size() > input.at ? file.Size() - input.at : 0;
  if (width * height <= (left + 2) * kMostGifPixelsPerByte) return;
  unsigned char last = 0;
  const bool whole = file.Size() > 0 && file.ReadSome(file.Size() - 1, {&last, 1}) == 1 && last == ';';
  throw Failure(whole ? FailureKind::BitmapNotValid : FailureKind::StreamReadError, {},
                {.inputIs = std::string(kCutShort)});
}

void GifFrame::ClipTo(std::size_t canvasWidth, std::size_t canvasHeight) {
  shownLeft = std::min(left, canvasWidth), shownTop = std::min(top, canvasHeight);
  shownWidth = std::min(width, canvasWidth - shownLeft), shownHeight = std::min(height, canvasHeight - shownTop);
  if (shownWidth == 0 || shownHeight == 0) shownWidth = shownHeight = 0;
}

GifFrame ReadGifFrame(const GifInput& input, const GifFileType& gif) {
  const GifImageDesc& desc = gif.Image;
  if (desc.Width <= 0 || desc.Height <= 0 || desc.Left < 0 || desc.Top < 0) throw Failure(FailureKind::BitmapNotValid);
  GifFrame frame;
  frame.left = static_cast<std::size_t>(desc.Left), frame.top = static_cast<std::size_t>(desc.Top);
  frame.width = static_cast<std::size_t>(desc.Width), frame.height = static_cast<std::size_t>(desc.Height);
  frame.interlaced = desc.Interlace;
  CheckGifData(input, frame.width, frame.height);
  return frame;
}

GifCanvas GifCanvasOf(const GifFileType& gif, const GifFrame& first, const ReadSettings& settings) {
  const auto screenWidth = static_cast<std::size_t>(std::max(gif.SWidth, 0)),
             screenHeight = static_cast<std::size_t>(std::max(gif.SHeight, 0));
  GifCanvas canvas{std::max(screenWidth, first.left + first.width), std::max(screenHeight, first.top + first.height)};
  if (!settings.Allows(canvas.width, canvas.height) && screenWidth > 0 && screenHeight > 0) {
    canvas = {screenWidth, screenHeight};
  }
  settings.CheckSize(canvas.width, canvas.height);
  return canvas;
}

const ColorMapObject& GifColors(const GifFileType& gif) {
  const ColorMapObject* map = gif.Image.ColorMap ? gif.Image.ColorMap : gif.SColorMap;
  if (!map) throw Failure(FailureKind::BitmapNotValid);
  return *map;
}

GifRows::GifRows(GifFileType& gif, const GifInput& input, const GifFrame& frame)
    : gif_(gif), input_(input), frame_(frame), line_(frame.width) {}

const GifPixelType* GifRows::Next(std::size_t& y) {
  while (shown_ < frame_.shownHeight) {
    if (y_ >= frame_.height) {
      // The end of a pass; never of the last, whose rows are not all out.
      if (!frame_.interlaced || pass_ + 1 >= kGifPasses) break;
      y_ = kGifPassStart[++pass_];
      continue;
    }
    y = y_;
    y_ += frame_.interlaced ? kGifPassStep[pass_] : 1;
    if (DGifGetLine(&gif_, line_.data(), static_cast<int>(frame_.width)) != GIF_OK) FailGif(input_, gif_.Error);
    ++read_;
    if (y < frame_.shownHeight) {
      ++shown_;
      return line_.data();
    }
  }
  return nullptr;
}

void GifRows::Finish() {
  // After the last row giflib passes over the rest itself.
  if (read_ == frame_.height) return;
  GifByteType* block = nullptr;
  do {
    if (DGifGetCodeNext(&gif_, &block) != GIF_OK) FailGif(input_, gif_.Error);
  } while (block);
  read_ = frame_.height;
}

bool ReadGraphicControl(const GifByteType* extension, GraphicsControlBlock& control) {
  return extension && extension[0] >= 4 && DGifExtensionToGCB(extension[0], extension + 1, &control) == GIF_OK;
}

}  // namespace morvexa
