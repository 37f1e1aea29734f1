#include "decode/webp_reader.h"

#include <sys/mman.h>
#include <unistd.h>
#include <webp/decode.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "morvexa/failure.h"
#include "pixels/composite.h"

namespace morvexa {

namespace {

[[noreturn]] void NotValid() { throw Failure(FailureKind::BitmapNotValid); }

std::uint32_t Le(const unsigned char* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

// Where the file's picture is, found from the RIFF chunks' headers alone:
// libwebp's demuxer would need the file in memory up to the picture's end.
struct Layout {
  std::uint64_t canvasWidth = 0, canvasHeight = 0;  // 0 when there is no VP8X chunk
  // The first frame's place on the canvas (a still picture's: all of it).
  std::uint64_t left = 0, top = 0, width = 0, height = 0;
  // The bytes libwebp decodes: the ALPH and VP8 chunks, or the VP8L chunk.
  std::uint64_t begin = 0, end = 0;
  std::uint64_t bitstream = 0;  // where the VP8 or VP8L chunk starts
  bool animated = false;
};

Layout FindPicture(const FileBytes& file) {
  Layout layout;
  unsigned char header[16];
  file.Read(0, {header, 12});
  const std::uint64_t riffEnd = 8 + std::uint64_t{Le(header + 4, 4)};
  std::uint64_t at = 12, frameEnd = riffEnd;
  std::uint64_t alpha = 0;
  bool inFrame = false;
  for (;;) {
    if (at + 8 > std::min(frameEnd, riffEnd)) {
      // Out of chunks before the picture: cut short, or never there.
      if (file.Size() < std::min(frameEnd, riffEnd)) throw Failure(FailureKind::StreamReadError);
      NotValid();
    }
    file.Read(at, {header, 8});
    const std::uint64_t size = Le(header + 4, 4), data = at + 8, next = data + size + (size & 1);
    if (std::memcmp(header, "VP8X", 4) == 0 && !inFrame) {
      if (size < 10) NotValid();
      file.Read(data, {header, 10});
      layout.animated = header[0] & 0x02;
      layout.canvasWidth = Le(header + 4, 3) + 1, layout.canvasHeight = Le(header + 7, 3) + 1;
    } else if (std::memcmp(header, "ANMF", 4) == 0 && layout.animated && !inFrame) {
      if (size < 16) NotValid();
      file.Read(data, {header, 16});
      layout.left = 2 * std::uint64_t{Le(header, 3)}, layout.top = 2 * std::uint64_t{Le(header + 3, 3)};
      layout.width = Le(header + 6, 3) + 1, layout.height = Le(header + 9, 3) + 1;
      inFrame = true, frameEnd = data + size;
      at = data + 16;
      continue;
    } else if (std::memcmp(header, "ALPH", 4) == 0 && alpha == 0) {
      alpha = at;
    } else if (std::memcmp(header, "VP8 ", 4) == 0 || std::memcmp(header, "VP8L", 4) == 0) {
      if (layout.animated && !inFrame) NotValid();
      layout.begin = alpha != 0 && header[3] == ' ' ? alpha : at;
      layout.end = data + size;
      layout.bitstream = at;
      return layout;
    }
    at = next;
  }
}

// The first frame of a WebP file (a still picture is its only frame), laid
// on its canvas at its offset; transparent and uncovered pixels take the
// background.
//
// libwebp decodes incrementally from the file read a piece at a time, and
// the rows are handed out as they are ready. libwebp keeps the compressed
// data it is given; a lossless picture (and the lossless alpha of a lossy
// one) it holds whole as it decodes, at four bytes a pixel (a byte when the
// alpha uses only a color table), and a lossy picture's alpha plane at a
// byte a pixel. Its output must be one buffer of the whole (scaled) frame:
// that buffer is reserved, not allocated, and the pages of rows already
// handed out are given back, so that only the rows between the last handed
// out and the last decoded are held.
class WebpReader final : public PictureReader {
 public:
  WebpReader(FileBytes file, const ReadSettings& settings) : file_(std::move(file)), background_(settings.background) {
    layout_ = FindPicture(file_);
    unsigned char start[64] = {};
    const std::size_t got = file_.ReadSome(layout_.bitstream, start);
    WebPBitstreamFeatures features{};
    const VP8StatusCode status = WebPGetFeatures(start, got, &features);
    if (status == VP8_STATUS_NOT_ENOUGH_DATA) throw Failure(FailureKind::StreamReadError);
    if (status != VP8_STATUS_OK || features.width <= 0 || features.height <= 0) NotValid();
    const auto w = static_cast<std::uint64_t>(features.width), h = static_cast<std::uint64_t>(features.height);
    if (!layout_.animated) {
      if (layout_.canvasWidth != 0 && (layout_.canvasWidth != w || layout_.canvasHeight != h)) NotValid();
      layout_.canvasWidth = layout_.width = w, layout_.canvasHeight = layout_.height = h;
    }
    // The picture must be the frame's size, and the frame within the canvas.
    if (w != layout_.width || h != layout_.height || layout_.left + w > layout_.canvasWidth ||
        layout_.top + h > layout_.canvasHeight) {
      NotValid();
    }
    if (std::memcmp(start, "VP8 ", 4) == 0) CheckLossyData(start, got);
    settings.CheckSize(layout_.canvasWidth, layout_.canvasHeight);
    width_ = layout_.canvasWidth, height_ = layout_.canvasHeight;
    form_ = PixelForm::Rgb32;
  }
  WebpReader(const WebpReader&) = delete;
  WebpReader& operator=(const WebpReader&) = delete;
  ~WebpReader() override {
    if (decoder_) WebPIDelete(decoder_);
    if (output_) munmap(output_, reserved_);
  }

  // libwebp scales as it decodes, averaging the pixels that each of the
  // smaller picture's covers: to twice the size asked for, so that each
  // cell still has a few pixels to average.
  void PreferAtLeast(std::size_t width, std::size_t height) override {
    if (decoder_ || width == 0 || height == 0) return;
    width_ = std::min<std::size_t>(layout_.canvasWidth, 2 * width);
    height_ = std::min<std::size_t>(layout_.canvasHeight, 2 * height);
  }

  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    if (!decoder_) Start();
    count = std::min(count, height_ - next_);
    band.form = PixelForm::Rgb32;
    band.rows.clear();
    band.storage.resize(count * width_ * 4 + RowBand::kSlack);
    for (std::size_t i = 0; i < count; ++i, ++next_) {
      auto* out = reinterpret_cast<Rgb*>(band.storage.data() + i * width_ * 4);
      if (next_ < top_ || next_ >= top_ + frameHeight_) {
        std::fill_n(out, width_, background_);
      } else {
        const unsigned char* rgba = FrameRow(next_ - top_);
        std::fill_n(out, left_, background_);
        for (std::size_t x = 0; x < frameWidth_; ++x, rgba += 4) {
          out[left_ + x] = rgba[3] == 255 ? static_cast<Rgb>(rgba[0]) << 16 | rgba[1] << 8 | rgba[2]
                                          : Composite(rgba[0], rgba[1], rgba[2], rgba[3], background_);
        }
        std::fill(out + left_ + frameWidth_, out + width_, background_);
        GiveBack(next_ - top_ + 1);
      }
      band.rows.push_back(reinterpret_cast<const unsigned char*>(out));
    }
    return count;
  }

 private:
  // A lossy picture's first partition codes every macroblock's prediction
  // modes. Its probabilities are fixed in a key frame: at best 145/256 for
  // the luma mode, 142/256 for the chroma one, so each 16 x 16 macroblock
  // takes at least 1.6 bits of it. A partition too small for its picture at
  // a bit a macroblock is refused before anything is decoded.
  void CheckLossyData(const unsigned char* chunk, std::size_t got) const {
    if (got < 11) throw Failure(FailureKind::StreamReadError);
    const std::uint64_t partition = Le(chunk + 8, 3) >> 5;
    const std::uint64_t macroblocks = ((layout_.width + 15) / 16) * ((layout_.height + 15) / 16);
    if (macroblocks > 8 * partition + 64) NotValid();
  }

  // The frame's place on the canvas as it is scaled: its edges where they
  // fall on the scaled canvas.
  void Start() {
    auto edge = [](std::uint64_t at, std::uint64_t scaled, std::uint64_t whole) {
      return static_cast<std::size_t>((at * scaled + whole / 2) / whole);
    };
    left_ = edge(layout_.left, width_, layout_.canvasWidth), top_ = edge(layout_.top, height_, layout_.canvasHeight);
    frameWidth_ = std::max<std::size_t>(1, edge(layout_.left + layout_.width, width_, layout_.canvasWidth) - left_);
    frameHeight_ = std::max<std::size_t>(1, edge(layout_.top + layout_.height, height_, layout_.canvasHeight) - top_);
    left_ = std::min(left_, width_ - frameWidth_), top_ = std::min(top_, height_ - frameHeight_);

    stride_ = frameWidth_ * 4;
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    reserved_ = (stride_ * frameHeight_ + page - 1) / page * page;
    void* memory = mmap(nullptr, reserved_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    output_ = static_cast<unsigned char*>(memory);

    WebPDecoderConfig& config = config_;
    if (!WebPInitDecoderConfig(&config)) throw std::bad_alloc();
    if (frameWidth_ != layout_.width || frameHeight_ != layout_.height) {
      config.options.use_scaling = 1;
      config.options.scaled_width = static_cast<int>(frameWidth_);
      config.options.scaled_height = static_cast<int>(frameHeight_);
    }
    config.output.colorspace = MODE_RGBA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA = {output_, static_cast<int>(stride_), stride_ * frameHeight_};
    decoder_ = WebPIDecode(nullptr, 0, &config);
    if (!decoder_) throw std::bad_alloc();
    at_ = layout_.begin;
    // Reserved whole so that it never moves: libwebp keeps pointers into it.
    data_.reserve(std::min(layout_.end, file_.Size()) - std::min(layout_.begin, file_.Size()));
  }

  // A row of the frame, decoding as far as it. libwebp is handed the
  // compressed bytes read so far, a little more each time, and decodes
  // until it runs out: the more rows a step gave, the smaller the next, so
  // that a step's rows stay a few megabytes.
  const unsigned char* FrameRow(std::size_t y) {
    while (decoded_ <= y) {
      // The chunk ended, or the file did, before the picture.
      if (at_ >= layout_.end) throw Failure(FailureKind::StreamReadError);
      const std::size_t old = data_.size();
      data_.resize(old + std::min<std::uint64_t>(step_, layout_.end - at_));
      const std::size_t got = file_.ReadSome(at_, {data_.data() + old, data_.size() - old});
      data_.resize(old + got);
      if (got == 0) throw Failure(FailureKind::StreamReadError);
      at_ += got;
      const VP8StatusCode status = WebPIUpdate(decoder_, data_.data(), data_.size());
      if (status != VP8_STATUS_OK && status != VP8_STATUS_SUSPENDED) {
        throw Failure(status == VP8_STATUS_NOT_ENOUGH_DATA ? FailureKind::StreamReadError
                                                           : FailureKind::BitmapNotValid);
      }
      int lastY = 0;
      if (WebPIDecGetRGB(decoder_, &lastY, nullptr, nullptr, nullptr) == nullptr) lastY = 0;
      const std::size_t rows = lastY > 0 ? static_cast<std::size_t>(lastY) - std::min<std::size_t>(decoded_, lastY) : 0;
      decoded_ = std::max(decoded_, static_cast<std::size_t>(std::max(lastY, 0)));
      constexpr std::size_t kStepRowBytes = 2 << 20;
      if (rows * stride_ > kStepRowBytes) {
        step_ = std::max<std::size_t>(256, step_ / 4);
      } else if (rows * stride_ < kStepRowBytes / 8) {
        step_ = std::min<std::size_t>(256 * 1024, step_ * 2);
      }
    }
    return output_ + y * stride_;
  }

  // Gives the pages wholly above row y back to the system.
  void GiveBack(std::size_t y) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t end = y * stride_ / page * page;
    if (end >= given_ + 64 * page || y == frameHeight_) {
      madvise(output_ + given_, std::min(end, reserved_) - given_, MADV_DONTNEED);
      given_ = std::min(end, reserved_);
    }
  }

  FileBytes file_;
  Rgb background_;
  Layout layout_;
  WebPDecoderConfig config_{};  // libwebp keeps pointers to its options and output
  WebPIDecoder* decoder_ = nullptr;
  unsigned char* output_ = nullptr;  // the frame's reserved rows
  std::size_t reserved_ = 0, stride_ = 0, given_ = 0;
  std::size_t left_ = 0, top_ = 0, frameWidth_ = 0, frameHeight_ = 0;  // scaled
  std::size_t decoded_ = 0;                                            // rows of the frame ready
  std::uint64_t at_ = 0;                                               // the next byte of the file for libwebp
  std::vector<unsigned char> data_;                                    // the bytes libwebp has been given
  std::size_t step_ = 4096;                                            // how many more it is given next
  std::size_t next_ = 0;
};

}  // namespace

bool LooksLikeWebp(std::span<const unsigned char> start) {
  return start.size() >= 12 && std::memcmp(start.data(), "RIFF", 4) == 0 &&
         std::memcmp(start.data() + 8, "WEBP", 4) == 0;
}

std::unique_ptr<PictureReader> ReadWebp(FileBytes file, const ReadSettings& settings) {
  return std::make_unique<WebpReader>(std::move(file), settings);
}

}  // namespace morvexa
