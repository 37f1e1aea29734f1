#include "bmp_decoder.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <vector>

#include "failure.h"
#include "shown_path.h"

namespace morvexa {

namespace {

[[noreturn]] void Truncated() { throw Failure(FailureKind::StreamReadError); }
[[noreturn]] void NotValid() { throw Failure(FailureKind::BitmapNotValid); }

// Little-endian fields read from the file, each checked against its length.
class Bytes {
 public:
  explicit Bytes(std::span<const unsigned char> data) : data_(data) {}

  void Need(std::uint64_t at, std::uint64_t count) const {
    if (at > data_.size() || count > data_.size() - at) Truncated();
  }
  std::uint16_t U16(std::uint64_t at) const {
    Need(at, 2);
    return static_cast<std::uint16_t>(data_[at] | data_[at + 1] << 8);
  }
  std::uint32_t U32(std::uint64_t at) const {
    Need(at, 4);
    return data_[at] | data_[at + 1] << 8 | data_[at + 2] << 16 | static_cast<std::uint32_t>(data_[at + 3]) << 24;
  }
  const unsigned char* At(std::uint64_t at) const { return data_.data() + at; }
  std::uint64_t Size() const { return data_.size(); }

 private:
  std::span<const unsigned char> data_;
};

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

constexpr std::uint64_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;
constexpr std::uint32_t kInfoHeaderBytes = 40;

struct Header {
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  bool topDown = false;
  unsigned bitCount = 0;
  std::uint32_t compression = kRgb;
  std::array<std::uint32_t, 3> masks{};  // red, green, blue
  std::array<Rgb, 256> palette{};        // black past the file's color table
  std::uint64_t pixelsAt = 0;            // where the pixel data starts
  std::uint64_t pixelBytes = 0;          // run-length data: how many bytes; 0 for all that follow
};

// One color component of a bit-field pixel, scaled to 0-255.
class Channel {
 public:
  explicit Channel(std::uint32_t mask) : mask_(mask) {
    if (mask == 0) return;
    shift_ = static_cast<unsigned>(std::countr_zero(mask));
    const unsigned bits = 32 - static_cast<unsigned>(std::countl_zero(mask)) - shift_;
    if (bits >= 8) {
      down_ = bits - 8;
    } else {
      const std::uint32_t top = (1u << bits) - 1;
      for (std::uint32_t v = 0; v <= top; ++v) up_[v] = static_cast<unsigned char>((v * 255 + top / 2) / top);
      scaleUp_ = true;
    }
  }
  std::uint32_t operator()(std::uint32_t pixel) const {
    const std::uint32_t v = (pixel & mask_) >> shift_;
    return scaleUp_ ? up_[v & 0x7F] : (v >> down_) & 0xFF;
  }

 private:
  std::uint32_t mask_;
  unsigned shift_ = 0;
  unsigned down_ = 0;
  bool scaleUp_ = false;
  std::array<unsigned char, 128> up_{};
};

class BitFields {
 public:
  explicit BitFields(const std::array<std::uint32_t, 3>& masks) : red_(masks[0]), green_(masks[1]), blue_(masks[2]) {}
  Rgb operator()(std::uint32_t pixel) const { return red_(pixel) << 16 | green_(pixel) << 8 | blue_(pixel); }

 private:
  Channel red_, green_, blue_;
};

Header ReadHeader(const Bytes& file, const BmpLimits& limits) {
  file.Need(0, kFileHeaderBytes);
  if (file.At(0)[0] != 'B' || file.At(0)[1] != 'M') NotValid();
  const std::uint32_t dataOffset = file.U32(10);
  const std::uint32_t headerBytes = file.U32(kFileHeaderBytes);

  Header h;
  unsigned planes = 0;
  std::uint64_t colorsUsed = 0;
  std::uint64_t paletteEntryBytes = 4;
  std::uint32_t imageBytes = 0;
  if (headerBytes == kCoreHeaderBytes) {
    file.Need(kFileHeaderBytes, kCoreHeaderBytes);
    h.width = file.U16(18);
    h.height = file.U16(20);
    planes = file.U16(22);
    h.bitCount = file.U16(24);
    paletteEntryBytes = 3;
  } else if (headerBytes >= kInfoHeaderBytes) {
    file.Need(kFileHeaderBytes, headerBytes);
    const auto width = static_cast<std::int32_t>(file.U32(18));
    const auto height = static_cast<std::int32_t>(file.U32(22));
    planes = file.U16(26);
    h.bitCount = file.U16(28);
    h.compression = file.U32(30);
    imageBytes = file.U32(34);
    colorsUsed = file.U32(46);
    if (width < 1 || height == 0 || height == INT32_MIN) NotValid();
    h.width = static_cast<std::uint64_t>(width);
    h.topDown = height < 0;
    h.height = static_cast<std::uint64_t>(height < 0 ? -static_cast<std::int64_t>(height) : height);
  } else {
    NotValid();
  }
  if (planes != 1) NotValid();

  const unsigned bpp = h.bitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) NotValid();
  const bool runLength = h.compression == kRle8 || h.compression == kRle4;
  switch (h.compression) {
    case kRgb: break;
    case kRle8:
      if (bpp != 8 || h.topDown) NotValid();
      break;
    case kRle4:
      if (bpp != 4 || h.topDown) NotValid();
      break;
    case kBitFields:
      if (bpp != 16 && bpp != 32) NotValid();
      break;
    default: NotValid();
  }
  if (h.width == 0 || h.height == 0 || h.width > kMaxBmpDimension || h.height > kMaxBmpDimension) NotValid();
  if (h.width * h.height > (runLength ? limits.runLengthPixels : limits.pixels)) NotValid();

  std::uint64_t paletteAt = kFileHeaderBytes + headerBytes;
  if (h.compression == kBitFields) {
    // In a 40-byte header the three masks follow it; longer headers hold
    // them at the same place.
    h.masks = {file.U32(54), file.U32(58), file.U32(62)};
    if (headerBytes == kInfoHeaderBytes) paletteAt += 12;
  } else if (bpp == 16) {
    h.masks = {0x7C00, 0x03E0, 0x001F};
  } else if (bpp == 32) {
    h.masks = {0xFF0000, 0x00FF00, 0x0000FF};
  }

  std::uint64_t paletteEnd = paletteAt;
  if (bpp <= 8) {
    const std::uint64_t entries = colorsUsed != 0 ? colorsUsed : 1u << bpp;
    file.Need(paletteAt, entries * paletteEntryBytes);
    for (std::uint64_t i = 0; i < entries && i < h.palette.size(); ++i) {
      const unsigned char* bgr = file.At(paletteAt + i * paletteEntryBytes);
      h.palette[i] = static_cast<Rgb>(bgr[2]) << 16 | bgr[1] << 8 | bgr[0];
    }
    paletteEnd = paletteAt + entries * paletteEntryBytes;
  }

  h.pixelsAt = dataOffset != 0 ? dataOffset : paletteEnd;
  if (runLength) {
    h.pixelBytes = imageBytes;
    file.Need(h.pixelsAt, h.pixelBytes);
  } else {
    const std::uint64_t stride = (h.width * bpp + 31) / 32 * 4;
    file.Need(h.pixelsAt, stride * h.height);
  }
  return h;
}

// Uncompressed rows, converted to colors one row at a time.
void DecodeRows(const Bytes& file, const Header& h, PixelImage& image) {
  const std::uint64_t stride = (h.width * h.bitCount + 31) / 32 * 4;
  const BitFields bitFields(h.masks);
  std::vector<Rgb> sixteenBit;
  if (h.bitCount == 16) {
    sixteenBit.resize(0x10000);
    for (std::uint32_t v = 0; v < 0x10000; ++v) sixteenBit[v] = bitFields(v);
  }
  const bool plain32 = h.bitCount == 32 && h.compression == kRgb;
  for (std::uint64_t y = 0; y < h.height; ++y) {
    const unsigned char* src = file.At(h.pixelsAt + (h.topDown ? y : h.height - 1 - y) * stride);
    Rgb* out = image.Row(y);
    const std::uint64_t w = h.width;
    switch (h.bitCount) {
      case 1:
        for (std::uint64_t x = 0; x < w; ++x) out[x] = h.palette[src[x / 8] >> (7 - x % 8) & 1];
        break;
      case 4:
        for (std::uint64_t x = 0; x < w; ++x) out[x] = h.palette[(x % 2 ? src[x / 2] : src[x / 2] >> 4) & 0x0F];
        break;
      case 8:
        for (std::uint64_t x = 0; x < w; ++x) out[x] = h.palette[src[x]];
        break;
      case 16:
        for (std::uint64_t x = 0; x < w; ++x) out[x] = sixteenBit[src[2 * x] | src[2 * x + 1] << 8];
        break;
      case 24:
        for (std::uint64_t x = 0; x < w; ++x, src += 3) out[x] = static_cast<Rgb>(src[2]) << 16 | src[1] << 8 | src[0];
        break;
      case 32:
        for (std::uint64_t x = 0; x < w; ++x, src += 4) {
          const std::uint32_t v = src[0] | src[1] << 8 | src[2] << 16 | static_cast<std::uint32_t>(src[3]) << 24;
          out[x] = plain32 ? v & 0xFFFFFF : bitFields(v);
        }
        break;
    }
  }
}

// Run-length data, bottom-up: runs of one index, absolute runs of indices,
// end of line, end of bitmap and delta. Every read is checked; decoding
// stops where the data ends.
void DecodeRunLength(const Bytes& file, const Header& h, PixelImage& image) {
  const bool four = h.compression == kRle4;
  std::fill_n(image.pixels.get(), h.width * h.height, h.palette[0]);
  std::uint64_t pos = h.pixelsAt;
  const std::uint64_t end = h.pixelBytes != 0 ? h.pixelsAt + h.pixelBytes : file.Size();
  std::uint64_t x = 0, y = 0;
  auto put = [&](unsigned index) {
    if (x < h.width && y < h.height) image.pixels[(h.height - 1 - y) * h.width + x] = h.palette[index];
    ++x;
  };
  while (y < h.height && pos + 2 <= end) {
    const unsigned count = *file.At(pos), value = *file.At(pos + 1);
    pos += 2;
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i) put(four ? (i % 2 ? value & 0x0F : value >> 4) : value);
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (pos + 2 > end) break;
      x += *file.At(pos);
      y += *file.At(pos + 1);
      pos += 2;
    } else {
      const std::uint64_t bytes = four ? (value + 1) / 2 : value;
      if (pos + bytes > end) break;
      for (unsigned i = 0; i < value; ++i) {
        const unsigned byte = *file.At(pos + (four ? i / 2 : i));
        put(four ? (i % 2 ? byte & 0x0F : byte >> 4) : byte);
      }
      pos += bytes + (bytes % 2);  // absolute runs are padded to a 16-bit boundary
    }
  }
}

}  // namespace

PixelImage DecodeBmp(std::span<const unsigned char> data, const BmpLimits& limits) {
  if (data.empty()) return {};
  const Bytes file(data);
  const Header h = ReadHeader(file, limits);
  PixelImage image(h.width, h.height);
  if (h.compression == kRle8 || h.compression == kRle4) {
    DecodeRunLength(file, h, image);
  } else {
    DecodeRows(file, h, image);
  }
  return image;
}

PixelImage DecodeBmpFile(const std::filesystem::path& path) {
  const std::string shown = ShownPath(path);
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Failure(FailureKind::CannotOpenFile, shown);
  struct Closer {
    int fd;
    ~Closer() { close(fd); }
  } closer{fd};
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) throw Failure(FailureKind::CannotOpenFile, shown);
  if (info.st_size == 0) return {};

  // The file is mapped rather than copied: its pages are read once, straight
  // from the page cache.
  const auto size = static_cast<std::size_t>(info.st_size);
  void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (mapped == MAP_FAILED) throw Failure(FailureKind::StreamReadError);
  struct Unmapper {
    void* at;
    std::size_t size;
    ~Unmapper() { munmap(at, size); }
  } unmapper{mapped, size};
  madvise(mapped, size, MADV_SEQUENTIAL);
  return DecodeBmp({static_cast<const unsigned char*>(mapped), size});
}

}  // namespace morvexa
