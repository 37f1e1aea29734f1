#include "text/unifont_data.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "morvexa/failure.h"
#include "text/embedded_resource.h"

namespace morvexa {

namespace {

// Little-endian numbers of the data, wherever they stand.
template <typename T>
T Load(std::span<const unsigned char> data, std::size_t at) {
  if constexpr (std::endian::native == std::endian::little) {
    T value;
    std::memcpy(&value, data.data() + at, sizeof value);
    return value;
  } else {
    T value = 0;
    for (std::size_t i = sizeof(T); i-- > 0;) value = static_cast<T>(value << 8 | data[at + i]);
    return value;
  }
}

}  // namespace

UnifontData::UnifontData(std::span<const unsigned char> data) : data_(data) {
  if (data_.size() < kMarksAt) throw Failure(FailureKind::StreamReadError);
  glyphCount_ = Load<std::uint32_t>(data_, 0);
  markCount_ = Load<std::uint32_t>(data_, 4);
  const std::size_t bitmapsAt = kMarksAt + 4 * markCount_;
  if (data_.size() < bitmapsAt) throw Failure(FailureKind::StreamReadError);
  // Each block's glyphs start where the block before ends, and the last
  // ends at the end of the data.
  std::size_t glyphs = 0, end = 0;
  for (std::size_t block = 0; block < kBlocks; ++block) {
    if ((Wide(block) & ~Present(block)) != 0 || Start(block) != end) throw Failure(FailureKind::StreamReadError);
    glyphs += static_cast<std::size_t>(std::popcount(Present(block)));
    end += 16 * static_cast<std::size_t>(std::popcount(Present(block)) + std::popcount(Wide(block)));
  }
  if (glyphs != glyphCount_ || data_.size() - bitmapsAt != end) throw Failure(FailureKind::StreamReadError);
  bitmaps_ = data_.subspan(bitmapsAt);
}

const UnifontData& UnifontData::BuiltIn() {
  static const UnifontData data(FindResource(kResourceName));
  return data;
}

std::uint64_t UnifontData::Present(std::size_t block) const {
  return Load<std::uint64_t>(data_, kPresentAt + 8 * block);
}
std::uint64_t UnifontData::Wide(std::size_t block) const { return Load<std::uint64_t>(data_, kWideAt + 8 * block); }
std::uint32_t UnifontData::Start(std::size_t block) const { return Load<std::uint32_t>(data_, kStartAt + 4 * block); }

std::optional<UnifontData::Glyph> UnifontData::Find(char32_t c) const {
  if (c >= kBlocks * kBlockSize) return {};
  const std::size_t block = c / kBlockSize;
  const std::uint64_t bit = std::uint64_t{1} << (c % kBlockSize);
  const std::uint64_t present = Present(block);
  if ((present & bit) == 0) return {};
  const std::uint64_t wide = Wide(block);
  const std::size_t at = Start(block) + 16 * static_cast<std::size_t>(std::popcount(present & (bit - 1)) +
                                                                      std::popcount(wide & (bit - 1)));
  const int width = (wide & bit) != 0 ? 16 : 8;
  return Glyph{bitmaps_.subspan(at, 2 * static_cast<std::size_t>(width)), width};
}

std::optional<int> UnifontData::CombiningOffset(char32_t c) const {
  // The combining characters, each a code point and an offset, are sorted
  // by code point.
  const auto code = [this](std::size_t i) { return Load<std::uint16_t>(data_, kMarksAt + 4 * i); };
  std::size_t low = 0, high = markCount_;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if (code(middle) < c) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  if (low == markCount_ || code(low) != c) return {};
  return static_cast<std::int16_t>(Load<std::uint16_t>(data_, kMarksAt + 4 * low + 2));
}

}  // namespace morvexa
