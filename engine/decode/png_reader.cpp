#include "decode/png_reader.h"

#include <spng.h>

#include <cstring>
#include <memory>
#include <vector>

#include "decode/composite.h"
#include "morvexa/failure.h"

namespace morvexa {

namespace {

constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A file that ends early is "Stream read error"; anything else wrong with
// it, "Bitmap image is not valid".
[[noreturn]] void Fail(int error) {
  throw Failure(error == SPNG_IO_EOF || error == SPNG_IO_ERROR || error == SPNG_EOF ? FailureKind::StreamReadError
                                                                                    : FailureKind::BitmapNotValid);
}

void Check(int error) {
  if (error != 0) Fail(error);
}

// 16-bit samples to 8 bits, rounded as ImageMagick and most viewers do.
inline unsigned To8(std::uint16_t v) { return (v + 128u) / 257u; }

class PngReader final : public PictureReader {
 public:
  PngReader(FileBytes file, const ReadSettings& settings) : file_(std::move(file)), settings_(settings) {
    ctx_.reset(spng_ctx_new(0));
    if (!ctx_) throw std::bad_alloc();
    // Every size is checked here before spng decodes anything: limits on
    // the picture and on the chunks it keeps in memory.
    spng_set_image_limits(ctx_.get(), static_cast<std::uint32_t>(ReadSettings::kMaxSide),
                          static_cast<std::uint32_t>(ReadSettings::kMaxSide));
    spng_set_chunk_limits(ctx_.get(), 1u << 26, 1u << 26);
    Check(spng_set_png_stream(ctx_.get(), &PngReader::ReadFile, this));
    spng_ihdr ihdr{};
    Check(spng_get_ihdr(ctx_.get(), &ihdr));
    settings_.CheckSize(ihdr.width, ihdr.height);
    width_ = ihdr.width;
    height_ = ihdr.height;
    form_ = PixelForm::Rgb32;
    sixteen_ = ihdr.bit_depth == 16;
    const int format = sixteen_ ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
    std::size_t rowBytes = 0;
    Check(spng_decoded_image_size(ctx_.get(), format, &rowBytes));
    rowBytes /= height_;
    decoded_.resize(rowBytes);
    if (ihdr.interlace_method != 0) {
      // Interlaced rows come in passes: the whole picture is decoded first.
      whole_.resize(rowBytes * height_);
      Check(spng_decode_image(ctx_.get(), whole_.data(), whole_.size(), format, SPNG_DECODE_TRNS));
    } else {
      Check(spng_decode_image(ctx_.get(), nullptr, 0, format, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE));
    }
  }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    count = std::min(count, height_ - next_);
    band.form = PixelForm::Rgb32;
    band.rows.clear();
    band.storage.resize(count * width_ * 4 + RowBand::kSlack);
    for (std::size_t i = 0; i < count; ++i) {
      const unsigned char* rgba = whole_.empty() ? DecodeRow() : whole_.data() + (next_ + i) * decoded_.size();
      auto* out = band.storage.data() + i * width_ * 4;
      for (std::size_t x = 0; x < width_; ++x) {
        Rgb c;
        if (sixteen_) {
          std::uint16_t s[4];
          std::memcpy(s, rgba + 8 * x, 8);
          c = Composite(To8(s[0]), To8(s[1]), To8(s[2]), To8(s[3]), settings_.background);
        } else {
          const unsigned char* p = rgba + 4 * x;
          c = p[3] == 255 ? static_cast<Rgb>(p[0]) << 16 | p[1] << 8 | p[2]
                          : Composite(p[0], p[1], p[2], p[3], settings_.background);
        }
        std::memcpy(out + 4 * x, &c, 4);
      }
      band.rows.push_back(out);
    }
    next_ += count;
    return count;
  }

 private:
  const unsigned char* DecodeRow() {
    const int error = spng_decode_row(ctx_.get(), decoded_.data(), decoded_.size());
    if (error != 0 && error != SPNG_EOI) Fail(error);
    return decoded_.data();
  }

  static int ReadFile(spng_ctx*, void* user, void* dest, std::size_t length) {
    auto* self = static_cast<PngReader*>(user);
    try {
      const std::size_t got = self->file_.ReadSome(self->at_, {static_cast<unsigned char*>(dest), length});
      self->at_ += got;
      return got == length ? 0 : SPNG_IO_EOF;
    } catch (const Failure&) {
      return SPNG_IO_ERROR;
    }
  }

  FileBytes file_;
  ReadSettings settings_;
  struct FreeContext {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
  };
  std::unique_ptr<spng_ctx, FreeContext> ctx_;
  std::uint64_t at_ = 0;
  bool sixteen_ = false;
  std::vector<unsigned char> decoded_;  // one decoded row
  std::vector<unsigned char> whole_;    // an interlaced picture, decoded whole
  std::size_t next_ = 0;
};

}  // namespace

bool LooksLikePng(std::span<const unsigned char> start) {
  return start.size() >= sizeof kSignature && std::memcmp(start.data(), kSignature, sizeof kSignature) == 0;
}

std::unique_ptr<PictureReader> ReadPng(FileBytes file, const ReadSettings& settings) {
  return std::make_unique<PngReader>(std::move(file), settings);
}

}  // namespace morvexa
