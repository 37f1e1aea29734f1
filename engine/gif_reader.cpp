#include "gif_reader.h"

#include <gif_lib.h>

#include <cstring>
#include <vector>

#include "failure.h"

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

// The first picture of a GIF file (of an animation, its first frame), read
// whole: interlaced rows arrive out of order. One byte a pixel, a palette
// index; the transparent index takes the background's color.
class GifReader final : public PictureReader {
 public:
  GifReader(FileBytes file, const ReadSettings& settings) : file_(std::move(file)) {
    input_.file = &file_;
    int error = 0;
    gif_.reset(DGifOpen(&input_, ReadInput, &error));
    if (!gif_) Fail();
    int transparent = -1;
    for (;;) {
      GifRecordType type;
      if (DGifGetRecordType(gif_.get(), &type) != GIF_OK) Fail();
      if (type == TERMINATE_RECORD_TYPE) Fail();  // no picture at all
      if (type == EXTENSION_RECORD_TYPE) {
        int code = 0;
        GifByteType* extension = nullptr;
        if (DGifGetExtension(gif_.get(), &code, &extension) != GIF_OK) Fail();
        if (code == GRAPHICS_EXT_FUNC_CODE && extension && extension[0] >= 4) {
          GraphicsControlBlock control{};
          if (DGifExtensionToGCB(extension[0], extension + 1, &control) == GIF_OK) transparent = control.TransparentColor;
        }
        while (extension) {
          if (DGifGetExtensionNext(gif_.get(), &extension) != GIF_OK) Fail();
        }
        continue;
      }
      if (type == IMAGE_DESC_RECORD_TYPE) break;
    }
    if (DGifGetImageDesc(gif_.get()) != GIF_OK) Fail();
    const GifImageDesc& desc = gif_->Image;
    if (desc.Width <= 0 || desc.Height <= 0) throw Failure(FailureKind::BitmapNotValid);
    settings.CheckSize(static_cast<std::uint64_t>(desc.Width), static_cast<std::uint64_t>(desc.Height));
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif_->SColorMap;
    if (!map) throw Failure(FailureKind::BitmapNotValid);
    width_ = static_cast<std::size_t>(desc.Width);
    height_ = static_cast<std::size_t>(desc.Height);
    form_ = PixelForm::Index8;
    palette_.assign(256, 0);  // black past the file's color map
    for (int i = 0; i < map->ColorCount && i < 256; ++i) {
      const GifColorType& c = map->Colors[i];
      palette_[static_cast<std::size_t>(i)] = static_cast<Rgb>(c.Red) << 16 | c.Green << 8 | c.Blue;
    }
    if (transparent >= 0 && transparent < 256) palette_[static_cast<std::size_t>(transparent)] = settings.background;

    indices_.resize(width_ * height_ + RowBand::kSlack);
    const bool interlaced = desc.Interlace;
    // Interlaced rows come in four passes: every 8th from 0, every 8th
    // from 4, every 4th from 2, every 2nd from 1.
    static constexpr std::size_t kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    for (std::size_t pass = 0; pass < (interlaced ? 4u : 1u); ++pass) {
      for (std::size_t y = interlaced ? kStart[pass] : 0; y < height_; y += interlaced ? kStep[pass] : 1) {
        if (DGifGetLine(gif_.get(), indices_.data() + y * width_, static_cast<int>(width_)) != GIF_OK) Fail();
      }
    }
  }

  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    count = std::min(count, height_ - next_);
    band.form = PixelForm::Index8;
    band.rows.clear();
    for (std::size_t i = 0; i < count; ++i) band.rows.push_back(indices_.data() + (next_ + i) * width_);
    next_ += count;
    return count;
  }

 private:
  [[noreturn]] void Fail() const {
    throw Failure(input_.ended ? FailureKind::StreamReadError : FailureKind::BitmapNotValid);
  }

  FileBytes file_;
  Input input_;
  struct Close {
    void operator()(GifFileType* gif) const {
      int error = 0;
      DGifCloseFile(gif, &error);
    }
  };
  std::unique_ptr<GifFileType, Close> gif_;
  std::vector<unsigned char> indices_;
  std::size_t next_ = 0;
};

}  // namespace

bool LooksLikeGif(std::span<const unsigned char> start) {
  return start.size() >= 6 && (std::memcmp(start.data(), "GIF87a", 6) == 0 || std::memcmp(start.data(), "GIF89a", 6) == 0);
}

std::unique_ptr<PictureReader> ReadGif(FileBytes file, const ReadSettings& settings) {
  return std::make_unique<GifReader>(std::move(file), settings);
}

}  // namespace morvexa
