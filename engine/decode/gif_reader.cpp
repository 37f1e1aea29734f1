#include "decode/gif_reader.h"

#include <gif_lib.h>

#include <cstring>
#include <vector>

#include "morvexa/failure.h"

namespace morvexa {

namespace {

// Reads the file for giflib, noting whether it ended early.
struct Input {
  const FileBytes* file;
  std::uint64_t at = 0;
  bool ended = false;
};

int ReadInput(GifFileType* gif, GifByteType* out, int length) {
  auto* input = static_cast<Input*>(gif->UserData);
  std::size_t got = 0;
  try {
    got = input->file->ReadSome(input->at, {out, static_cast<std::size_t>(length)});
  } catch (const Failure&) {
    got = 0;
  }
  input->at += got;
  if (got < static_cast<std::size_t>(length)) input->ended = true;
  return static_cast<int>(got);
}

[[noreturn]] void Fail(const Input& input) {
  throw Failure(input.ended ? FailureKind::StreamReadError : FailureKind::BitmapNotValid);
}

struct CloseGif {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

}  // namespace

bool LooksLikeGif(std::span<const unsigned char> start) {
  return start.size() >= 6 &&
         (std::memcmp(start.data(), "GIF87a", 6) == 0 || std::memcmp(start.data(), "GIF89a", 6) == 0);
}

// The first picture of the file (of an animation, its first frame), read
// whole: interlaced rows arrive out of order. One byte a pixel, a palette
// index; the transparent index takes the background's color.
std::unique_ptr<PictureReader> ReadGif(FileBytes file, const ReadSettings& settings) {
  Input input;
  input.file = &file;
  int error = 0;
  const std::unique_ptr<GifFileType, CloseGif> gif(DGifOpen(&input, ReadInput, &error));
  if (!gif) Fail(input);
  int transparent = -1;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif.get(), &type) != GIF_OK) Fail(input);
    if (type == TERMINATE_RECORD_TYPE) Fail(input);  // no picture at all
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* extension = nullptr;
      if (DGifGetExtension(gif.get(), &code, &extension) != GIF_OK) Fail(input);
      if (code == GRAPHICS_EXT_FUNC_CODE && extension && extension[0] >= 4) {
        GraphicsControlBlock control{};
        if (DGifExtensionToGCB(extension[0], extension + 1, &control) == GIF_OK) transparent = control.TransparentColor;
      }
      while (extension) {
        if (DGifGetExtensionNext(gif.get(), &extension) != GIF_OK) Fail(input);
      }
      continue;
    }
    if (type == IMAGE_DESC_RECORD_TYPE) break;
  }
  if (DGifGetImageDesc(gif.get()) != GIF_OK) Fail(input);
  const GifImageDesc& desc = gif->Image;
  if (desc.Width <= 0 || desc.Height <= 0) throw Failure(FailureKind::BitmapNotValid);
  settings.CheckSize(static_cast<std::uint64_t>(desc.Width), static_cast<std::uint64_t>(desc.Height));
  const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
  if (!map) throw Failure(FailureKind::BitmapNotValid);
  const auto width = static_cast<std::size_t>(desc.Width), height = static_cast<std::size_t>(desc.Height);
  std::vector<Rgb> palette(256, 0);  // black past the file's color map
  for (int i = 0; i < map->ColorCount && i < 256; ++i) {
    const GifColorType& c = map->Colors[i];
    palette[static_cast<std::size_t>(i)] = static_cast<Rgb>(c.Red) << 16 | c.Green << 8 | c.Blue;
  }
  if (transparent >= 0 && transparent < 256) palette[static_cast<std::size_t>(transparent)] = settings.background;

  std::vector<unsigned char> indices(width * height + RowBand::kSlack);
  const bool interlaced = desc.Interlace;
  // Interlaced rows come in four passes: every 8th from 0, every 8th from
  // 4, every 4th from 2, every 2nd from 1.
  static constexpr std::size_t kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
  for (std::size_t pass = 0; pass < (interlaced ? 4u : 1u); ++pass) {
    for (std::size_t y = interlaced ? kStart[pass] : 0; y < height; y += interlaced ? kStep[pass] : 1) {
      if (DGifGetLine(gif.get(), indices.data() + y * width, static_cast<int>(width)) != GIF_OK) Fail(input);
    }
  }
  return std::make_unique<IndexedMemoryPicture>(width, height, std::move(indices), std::move(palette));
}

}  // namespace morvexa
