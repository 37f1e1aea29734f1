#include "decode/png_reader.h"

#include <spng.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "morvexa/failure.h"
#include "pixels/area_average.h"
#include "pixels/composite.h"

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
    // Every size is checked here before spng decodes anything: the chunks
    // it keeps in memory are limited, and the picture's size is checked
    // (spng reads any the format allows, up to 2^31 - 1 a side) once its
    // data is known to be able to hold it.
    spng_set_chunk_limits(ctx_.get(), 1u << 26, 1u << 26);
    Check(spng_set_png_stream(ctx_.get(), &PngReader::ReadFile, this));
    spng_ihdr ihdr{};
    Check(spng_get_ihdr(ctx_.get(), &ihdr));
    width_ = ihdr.width;
    height_ = ihdr.height;
    form_ = PixelForm::Rgb32;
    sixteen_ = ihdr.bit_depth == 16;
    CheckData(ihdr);
    settings_.CheckSize(ihdr.width, ihdr.height);
    const int format = sixteen_ ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
    std::size_t rowBytes = 0;
    Check(spng_decoded_image_size(ctx_.get(), format, &rowBytes));
    decoded_.resize(rowBytes / height_);
    Check(spng_decode_image(ctx_.get(), nullptr, 0, format, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE));
    interlaced_ = ihdr.interlace_method != 0;
    pictureWidth_ = width_, pictureHeight_ = height_;
  }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  // An interlaced picture, held whole otherwise (four bytes a pixel), is
  // averaged as its pixels come when that takes less.
  bool AverageTo(std::size_t columns, std::size_t lines) override {
    if (!interlaced_ || started_ || !AreaSums::Pay(width_, height_, columns, lines, 4)) return false;
    averages_ = AreaSums(width_, height_, columns, lines, {0, 0, width_, height_});
    width_ = columns, height_ = lines;
    return true;
  }

  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    if (interlaced_ && !started_) ReadInterlaced();
    started_ = true;
    count = std::min(count, height_ - next_);
    band.form = PixelForm::Rgb32;
    band.rows.clear();
    if (!averages_.Empty()) {
      averages_.AverageRows(next_, count, settings_.background, band);
      next_ += count;
      return count;
    }
    if (!whole_.empty()) {
      for (std::size_t i = 0; i < count; ++i) {
        band.rows.push_back(reinterpret_cast<const unsigned char*>(whole_.data() + (next_ + i) * width_));
      }
      next_ += count;
      return count;
    }
    band.storage.resize(count * width_ * 4 + RowBand::kSlack);
    for (std::size_t i = 0; i < count; ++i) {
      DecodeRow();
      auto* out = reinterpret_cast<Rgb*>(band.storage.data() + i * width_ * 4);
      for (std::size_t x = 0; x < width_; ++x) out[x] = Color(x);
      band.rows.push_back(reinterpret_cast<const unsigned char*>(out));
    }
    next_ += count;
    return count;
  }

 private:
  // The color of the decoded row's pixel at x.
  Rgb Color(std::size_t x) const {
    if (sixteen_) {
      std::uint16_t s[4];
      std::memcpy(s, decoded_.data() + 8 * x, 8);
      return Composite(To8(s[0]), To8(s[1]), To8(s[2]), To8(s[3]), settings_.background);
    }
    const unsigned char* p = decoded_.data() + 4 * x;
    return p[3] == 255 ? static_cast<Rgb>(p[0]) << 16 | p[1] << 8 | p[2]
                       : Composite(p[0], p[1], p[2], p[3], settings_.background);
  }

  // Returns false after the last row.
  bool DecodeRow() {
    const int error = spng_decode_row(ctx_.get(), decoded_.data(), decoded_.size());
    if (error != 0 && error != SPNG_EOI) Fail(error);
    return error == 0;
  }

  // Interlaced rows come in seven passes, each of every so many pixels of
  // every so many rows: the picture is held whole, as colors (or averaged),
  // each pass's pixels put in place as they come.
  void ReadInterlaced() {
    static constexpr std::size_t kStartX[] = {0, 4, 0, 2, 0, 1, 0}, kStepX[] = {8, 8, 4, 4, 2, 2, 1};
    const bool reduced = !averages_.Empty();
    if (!reduced) whole_.resize(pictureWidth_ * pictureHeight_ + 1);  // and a pixel of slack
    for (bool more = true; more;) {
      spng_row_info row{};
      Check(spng_get_row_info(ctx_.get(), &row));
      more = DecodeRow();
      const auto pass = static_cast<std::size_t>(row.pass);
      const std::size_t y = row.row_num;
      if (pass >= 7 || y >= pictureHeight_) throw Failure(FailureKind::BitmapNotValid);
      if (reduced) {
        for (std::size_t x = kStartX[pass]; x < pictureWidth_; x += kStepX[pass]) averages_.Add(x, y, Color(x));
      } else {
        Rgb* out = whole_.data() + y * pictureWidth_;
        for (std::size_t x = kStartX[pass]; x < pictureWidth_; x += kStepX[pass]) out[x] = Color(x);
      }
    }
  }

  // Refuses a picture that the rest of the file is too short to hold, before
  // anything is decoded. Its rows, each with a filter byte, are deflated,
  // and deflate gives at most 258 bytes for a match coded in two bits (its
  // length and distance codes of a bit each): at most 1,032 bytes a byte.
  // "Stream read error" as for a file cut short, unless the file ends with
  // IEND, whole and wrong.
  void CheckData(const spng_ihdr& ihdr) const {
    static constexpr unsigned kChannels[] = {1, 0, 3, 1, 2, 0, 4};
    const std::uint64_t bits = std::uint64_t{ihdr.bit_depth} * kChannels[std::min<unsigned>(ihdr.color_type, 6)];
    // Sides of up to 2^31 make more bytes than 64 bits count: as many as
    // they hold, then.
    constexpr std::uint64_t kMost = ~std::uint64_t{0};
    auto bytes = [&](std::uint64_t w, std::uint64_t h) {
      std::uint64_t raw = 0;
      return w == 0 ? 0 : __builtin_mul_overflow(h, 1 + (w * bits + 7) / 8, &raw) ? kMost : raw;
    };
    std::uint64_t raw = bytes(width_, height_);
    if (ihdr.interlace_method != 0) {
      static constexpr std::uint64_t kX[] = {0, 4, 0, 2, 0, 1, 0}, kDx[] = {8, 8, 4, 4, 2, 2, 1};
      static constexpr std::uint64_t kY[] = {0, 0, 4, 0, 2, 0, 1}, kDy[] = {8, 8, 8, 4, 4, 2, 2};
      raw = 0;
      for (int p = 0; p < 7; ++p) {
        const std::uint64_t w = width_ > kX[p] ? (width_ - kX[p] + kDx[p] - 1) / kDx[p] : 0;
        const std::uint64_t h = height_ > kY[p] ? (height_ - kY[p] + kDy[p] - 1) / kDy[p] : 0;
        raw = std::min(kMost - bytes(w, h), raw) + bytes(w, h);
      }
    }
    const std::uint64_t left = file_.Size() > at_ ? file_.Size() - at_ : 0;
    if (raw <= (left + 1) * 1032) return;
    static constexpr unsigned char kEnd[] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    unsigned char end[sizeof kEnd] = {};
    const bool whole = file_.Size() >= sizeof end && file_.ReadSome(file_.Size() - sizeof end, end) == sizeof end &&
                       std::memcmp(end, kEnd, sizeof end) == 0;
    throw Failure(whole ? FailureKind::BitmapNotValid : FailureKind::StreamReadError);
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
  bool sixteen_ = false, interlaced_ = false, started_ = false;
  std::size_t pictureWidth_ = 0, pictureHeight_ = 0;
  AreaSums averages_;                   // an interlaced picture's averages
  std::vector<unsigned char> decoded_;  // one decoded row
  std::vector<Rgb> whole_;              // an interlaced picture's colors
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
