#include "decode/bmp_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "morvexa/failure.h"

namespace morvexa {

namespace {

[[noreturn]] void Truncated() { throw Failure(FailureKind::StreamReadError); }
[[noreturn]] void NotValid() { throw Failure(FailureKind::BitmapNotValid); }

// Little-endian fields of the file, each checked against its length. The
// start of the file, where the headers are, is read once.
class Fields {
 public:
  explicit Fields(const FileBytes& file) : file_(file) {
    start_.resize(std::min<std::uint64_t>(file.Size(), 4096));
    file.Read(0, start_);
  }

  void Need(std::uint64_t at, std::uint64_t count) const {
    if (at > file_.Size() || count > file_.Size() - at) Truncated();
  }
  std::uint16_t U16(std::uint64_t at) const {
    unsigned char b[2];
    Get(at, b);
    return static_cast<std::uint16_t>(b[0] | b[1] << 8);
  }
  std::uint32_t U32(std::uint64_t at) const {
    unsigned char b[4];
    Get(at, b);
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  }
  void Get(std::uint64_t at, std::span<unsigned char> out) const {
    Need(at, out.size());
    if (at + out.size() <= start_.size()) {
      std::memcpy(out.data(), start_.data() + at, out.size());
    } else {
      file_.Read(at, out);
    }
  }

 private:
  const FileBytes& file_;
  std::vector<unsigned char> start_;
};

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

constexpr std::uint64_t kFileHeaderBytes = kBmpFileHeaderBytes;
constexpr std::uint32_t kCoreHeaderBytes = 12;
constexpr std::uint32_t kInfoHeaderBytes = 40;

struct Header {
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  bool topDown = false;
  unsigned bitCount = 0;
  std::uint32_t compression = kRgb;
  std::array<std::uint32_t, 3> masks{};  // red, green, blue
  std::vector<Rgb> palette;              // 256 entries, black past the file's color table
  std::uint64_t pixelsAt = 0;            // where the pixel data starts
  std::uint64_t pixelBytes = 0;          // run-length data: how many bytes; 0 for all that follow
  std::uint64_t stride = 0;              // uncompressed rows: bytes a row
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

Header ReadHeader(const Fields& file, const ReadSettings& settings) {
  file.Need(0, kFileHeaderBytes);
  if (file.U16(0) != ('B' | 'M' << 8)) NotValid();
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
    h.palette.assign(256, 0);
    std::vector<unsigned char> table(std::min<std::uint64_t>(entries, 256) * paletteEntryBytes);
    file.Get(paletteAt, table);
    for (std::size_t i = 0; i * paletteEntryBytes < table.size(); ++i) {
      const unsigned char* bgr = table.data() + i * paletteEntryBytes;
      h.palette[i] = static_cast<Rgb>(bgr[2]) << 16 | bgr[1] << 8 | bgr[0];
    }
    paletteEnd = paletteAt + entries * paletteEntryBytes;
  }

  h.pixelsAt = dataOffset != 0 ? dataOffset : paletteEnd;
  if (runLength) {
    h.pixelBytes = imageBytes;
    file.Need(h.pixelsAt, h.pixelBytes);
  } else {
    h.stride = (h.width * bpp + 31) / 32 * 4;
    std::uint64_t bytes = 0;
    if (__builtin_mul_overflow(h.stride, h.height, &bytes)) Truncated();
    file.Need(h.pixelsAt, bytes);
  }
  // Checked once the file is known to hold what its header says.
  settings.CheckSize(h.width, h.height);
  return h;
}

// The part of a reader that every BMP form shares.
class BmpReaderBase : public PictureReader {
 protected:
  BmpReaderBase(FileBytes file, const Header& h) : file_(std::move(file)), header_(h) {
    width_ = h.width;
    height_ = h.height;
  }

  void SkipRows(std::size_t count) override { next_ += std::min(count, height_ - next_); }

  FileBytes file_;
  Header header_;
  std::size_t next_ = 0;  // the next row to read, from the top
};

// Uncompressed rows: a band is one read of the rows it covers, which are
// used where they are read when their pixels need no unpacking.
class UncompressedReader final : public BmpReaderBase {
 public:
  UncompressedReader(FileBytes file, const Header& h) : BmpReaderBase(std::move(file), h) {
    switch (h.bitCount) {
      case 1:
      case 4:
      case 8: form_ = PixelForm::Index8, palette_ = h.palette; break;
      case 16: {
        form_ = PixelForm::Index16;
        const BitFields bitFields(h.masks);
        palette_.resize(0x10000);
        for (std::uint32_t v = 0; v < 0x10000; ++v) palette_[v] = bitFields(v);
        break;
      }
      case 24: form_ = PixelForm::Bgr24; break;
      case 32: form_ = h.compression == kRgb ? PixelForm::Bgrx32 : PixelForm::Rgb32; break;
    }
  }

  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    count = std::min(count, height_ - next_);
    band.form = form_;
    band.rows.clear();
    if (count == 0) return 0;
    const Header& h = header_;
    // The rows from next_ on, top first, are stored in this order, or
    // (bottom-up) as one run read in reverse.
    const std::uint64_t first = h.topDown ? next_ : h.height - next_ - count;
    const std::size_t bytes = count * h.stride;
    const bool unpack = h.bitCount < 8 || (h.bitCount == 32 && h.compression == kBitFields);
    const std::size_t unpacked = unpack ? count * width_ * BytesPerPixel(form_) : 0;
    band.storage.resize(bytes + unpacked + RowBand::kSlack);
    file_.Read(h.pixelsAt + first * h.stride, {band.storage.data(), bytes});
    for (std::size_t i = 0; i < count; ++i) {
      const unsigned char* row = band.storage.data() + (h.topDown ? i : count - 1 - i) * h.stride;
      if (unpack) {
        unsigned char* out = band.storage.data() + bytes + i * width_ * BytesPerPixel(form_);
        Unpack(row, out);
        row = out;
      }
      band.rows.push_back(row);
    }
    next_ += count;
    return count;
  }

 private:
  void Unpack(const unsigned char* src, unsigned char* out) const {
    const std::size_t w = width_;
    switch (header_.bitCount) {
      case 1:
        for (std::size_t x = 0; x < w; ++x) out[x] = src[x / 8] >> (7 - x % 8) & 1;
        break;
      case 4:
        for (std::size_t x = 0; x < w; ++x) out[x] = (x % 2 ? src[x / 2] : src[x / 2] >> 4) & 0x0F;
        break;
      default: {
        const BitFields bitFields(header_.masks);
        for (std::size_t x = 0; x < w; ++x, src += 4) {
          const Rgb c = bitFields(src[0] | src[1] << 8 | src[2] << 16 | static_cast<std::uint32_t>(src[3]) << 24);
          std::memcpy(out + 4 * x, &c, 4);
        }
      }
    }
  }
};

// Run-length data: runs of one index, absolute runs of indices, end of
// line, end of bitmap and delta, stored bottom-up. A first pass finds where
// each row is entered; rows are then decoded from the top, a band of rows
// from one read of their data.
class RunLengthReader final : public BmpReaderBase {
 public:
  RunLengthReader(FileBytes file, const Header& h) : BmpReaderBase(std::move(file), h) {
    form_ = PixelForm::Index8;
    palette_ = h.palette;
    end_ = h.pixelBytes != 0 ? h.pixelsAt + h.pixelBytes : file_.Size();
    IndexRows();
  }

  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    count = std::min(count, height_ - next_);
    band.form = form_;
    band.rows.clear();
    if (count == 0) return 0;
    // Stored rows from high (the band's top) to low; their data runs from
    // the lowest one's entry to where the highest one is left.
    const std::size_t high = height_ - 1 - next_, low = high + 1 - count;
    const std::uint64_t from = FirstEntryAtOrAbove(low), to = FirstEntryAbove(high);
    const std::size_t dataBytes = from < to ? static_cast<std::size_t>(to - from) : 0;
    band.storage.resize(count * width_ + dataBytes + RowBand::kSlack);
    unsigned char* data = band.storage.data() + count * width_;
    file_.Read(from, {data, dataBytes});
    for (std::size_t i = 0; i < count; ++i) {
      unsigned char* out = band.storage.data() + i * width_;
      std::fill_n(out, width_, 0);  // unwritten pixels take palette entry 0
      const Entry& entry = entries_[high - i];
      if (entry.at != kNoEntry) DecodeRow(data + (entry.at - from), data + dataBytes, entry.x, out);
      band.rows.push_back(out);
    }
    next_ += count;
    return count;
  }

 private:
  static constexpr std::uint64_t kNoEntry = ~std::uint64_t{0};
  struct Entry {
    std::uint64_t at = kNoEntry;  // where the row's data starts
    std::uint32_t x = 0;          // the column it starts at
  };

  // Reads the data once, in large pieces, noting where each row starts.
  void IndexRows() {
    entries_.resize(height_);
    std::vector<unsigned char> chunk(64 * 1024);
    std::uint64_t chunkAt = 0;
    std::size_t chunkSize = 0;
    auto byteAt = [&](std::uint64_t at) -> int {
      if (at >= end_) return -1;
      if (at < chunkAt || at >= chunkAt + chunkSize) {
        chunkAt = at;
        chunkSize = file_.ReadSome(at, {chunk.data(), std::min<std::uint64_t>(chunk.size(), end_ - at)});
        if (chunkSize == 0) return -1;
      }
      return chunk[at - chunkAt];
    };
    const bool four = header_.compression == kRle4;
    std::uint64_t pos = header_.pixelsAt, x = 0, y = 0;
    entries_[0] = {pos, 0};
    while (y < height_) {
      const int count = byteAt(pos), value = byteAt(pos + 1);
      if (count < 0 || value < 0) break;
      pos += 2;
      if (count > 0) {
        x += static_cast<unsigned>(count);
      } else if (value == 0) {
        x = 0;
        if (++y < height_) entries_[y] = {pos, 0};
      } else if (value == 1) {
        break;
      } else if (value == 2) {
        const int dx = byteAt(pos), dy = byteAt(pos + 1);
        if (dx < 0 || dy < 0) break;
        pos += 2;
        x += static_cast<unsigned>(dx);
        if (dy > 0) {
          y += static_cast<unsigned>(dy);
          if (y < height_) entries_[y] = {pos, static_cast<std::uint32_t>(std::min<std::uint64_t>(x, width_))};
        }
      } else {
        const std::uint64_t bytes = four ? (static_cast<unsigned>(value) + 1) / 2 : static_cast<unsigned>(value);
        if (pos + bytes > end_) break;
        x += static_cast<unsigned>(value);
        pos += bytes + (bytes % 2);  // absolute runs are padded to a 16-bit boundary
      }
    }
    stop_ = std::min(pos, end_);
  }

  // Where the data of the first entered row at or above stored row y
  // starts; the end of the data when there is none.
  std::uint64_t FirstEntryAtOrAbove(std::size_t y) const {
    for (; y < height_; ++y) {
      if (entries_[y].at != kNoEntry) return entries_[y].at;
    }
    return stop_;
  }
  std::uint64_t FirstEntryAbove(std::size_t y) const { return FirstEntryAtOrAbove(y + 1); }

  // Decodes one row from its data until the row is left.
  void DecodeRow(const unsigned char* p, const unsigned char* end, std::uint64_t x, unsigned char* out) const {
    const bool four = header_.compression == kRle4;
    const std::uint64_t w = width_;
    auto put = [&](unsigned index) {
      if (x < w) out[x] = static_cast<unsigned char>(index);
      ++x;
    };
    while (end - p >= 2) {
      const unsigned count = p[0], value = p[1];
      p += 2;
      if (count > 0) {
        for (unsigned i = 0; i < count; ++i) put(four ? (i % 2 ? value & 0x0F : value >> 4) : value);
      } else if (value == 0 || value == 1) {
        return;
      } else if (value == 2) {
        if (end - p < 2 || p[1] > 0) return;
        x += p[0];
        p += 2;
      } else {
        const std::size_t bytes = four ? (value + 1) / 2 : value;
        if (static_cast<std::size_t>(end - p) < bytes) return;
        for (unsigned i = 0; i < value; ++i) {
          const unsigned byte = p[four ? i / 2 : i];
          put(four ? (i % 2 ? byte & 0x0F : byte >> 4) : byte);
        }
        p += bytes + (bytes % 2);
      }
    }
  }

  std::uint64_t end_ = 0;   // the end of the run-length data
  std::uint64_t stop_ = 0;  // where the first pass stopped
  std::vector<Entry> entries_;
};

}  // namespace

bool LooksLikeBmp(std::span<const unsigned char> start) {
  return start.size() >= 2 && start[0] == 'B' && start[1] == 'M';
}

std::unique_ptr<PictureReader> ReadBmp(FileBytes file, const ReadSettings& settings) {
  if (file.Size() == 0) return std::make_unique<MemoryPicture>(PixelImage());
  const Header h = ReadHeader(Fields(file), settings);
  if (h.compression == kRle8 || h.compression == kRle4) return std::make_unique<RunLengthReader>(std::move(file), h);
  return std::make_unique<UncompressedReader>(std::move(file), h);
}

}  // namespace morvexa
