#pragma once

// Builds BMP files for the tests and the fuzzer's seeds: a picture given
// as palette indices, stored in any of the forms the decoder accepts.
#include <cstdint>
#include <string>
#include <vector>

namespace morvexa::testing_support {

struct BmpForm {
  unsigned headerBytes = 40;  // 12, 40, 52, 56, 108 or 124
  unsigned bitCount = 24;
  unsigned compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
  bool topDown = false;
  std::vector<std::uint32_t> masks;  // bit fields: red, green, blue
  std::string Name() const {
    return "h" + std::to_string(headerBytes) + "_" + std::to_string(bitCount) + "bpp_c" + std::to_string(compression) +
           (topDown ? "_topdown" : "");
  }
};

class BmpBuilder {
 public:
  // The picture: width x height palette indices, top row first.
  BmpBuilder(unsigned width, unsigned height, std::vector<unsigned> indices, std::vector<std::uint32_t> palette)
      : width_(width), height_(height), indices_(std::move(indices)), palette_(std::move(palette)) {}

  std::uint32_t ColorAt(unsigned x, unsigned y) const { return palette_[indices_[y * width_ + x]]; }

  std::vector<unsigned char> Build(const BmpForm& form) const {
    std::vector<unsigned char> pixels = form.compression == 1 || form.compression == 2 ? RunLength(form) : Rows(form);
    const bool core = form.headerBytes == 12;
    const bool paletted = form.bitCount <= 8;
    const unsigned entryBytes = core ? 3 : 4;
    const unsigned paletteEntries = paletted ? 1u << form.bitCount : 0;
    const bool masksAfter = form.compression == 3 && form.headerBytes == 40;

    std::vector<unsigned char> out;
    auto u16 = [&](unsigned v) { out.push_back(v & 0xFF), out.push_back(v >> 8 & 0xFF); };
    auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    const std::uint32_t dataAt = 14 + form.headerBytes + (masksAfter ? 12 : 0) + paletteEntries * entryBytes;
    out.push_back('B'), out.push_back('M');
    u32(dataAt + static_cast<std::uint32_t>(pixels.size()));
    u32(0);
    u32(dataAt);
    u32(form.headerBytes);
    if (core) {
      u16(width_), u16(height_), u16(1), u16(form.bitCount);
    } else {
      u32(width_);
      u32(form.topDown ? static_cast<std::uint32_t>(-static_cast<std::int32_t>(height_)) : height_);
      u16(1), u16(form.bitCount);
      u32(form.compression);
      u32(static_cast<std::uint32_t>(pixels.size()));
      u32(2835), u32(2835), u32(0), u32(0);
      std::vector<std::uint32_t> masks = form.masks;
      masks.resize(4, 0);
      for (unsigned at = 40; at < form.headerBytes; at += 4) u32(at / 4 - 10 < 4 ? masks[at / 4 - 10] : 0);
      if (masksAfter) u32(masks[0]), u32(masks[1]), u32(masks[2]);
    }
    for (unsigned i = 0; i < paletteEntries; ++i) {
      const std::uint32_t c = i < palette_.size() ? palette_[i] : 0;
      out.push_back(c & 0xFF), out.push_back(c >> 8 & 0xFF), out.push_back(c >> 16 & 0xFF);
      if (!core) out.push_back(0);
    }
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
  }

 private:
  // A color stored in a 16- or 32-bit pixel under the given masks.
  static std::uint32_t Pack(std::uint32_t rgb, const std::vector<std::uint32_t>& masks) {
    std::uint32_t v = 0;
    const unsigned parts[3] = {rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF};
    for (int i = 0; i < 3; ++i) {
      const std::uint32_t m = masks[i];
      if (m == 0) continue;
      const unsigned shift = static_cast<unsigned>(__builtin_ctz(m));
      const unsigned bits = 32 - static_cast<unsigned>(__builtin_clz(m)) - shift;
      const std::uint32_t scaled =
          bits >= 8 ? static_cast<std::uint32_t>(parts[i]) << (bits - 8) : parts[i] >> (8 - bits);
      v |= scaled << shift & m;
    }
    return v;
  }

  std::vector<unsigned char> Rows(const BmpForm& form) const {
    const unsigned bpp = form.bitCount;
    const unsigned stride = (width_ * bpp + 31) / 32 * 4;
    std::vector<std::uint32_t> masks = form.masks;
    if (masks.empty())
      masks = bpp == 16 ? std::vector<std::uint32_t>{0x7C00, 0x3E0, 0x1F}
                        : std::vector<std::uint32_t>{0xFF0000, 0xFF00, 0xFF};
    std::vector<unsigned char> out(stride * height_, 0);
    for (unsigned row = 0; row < height_; ++row) {
      const unsigned y = form.topDown ? row : height_ - 1 - row;
      unsigned char* p = out.data() + row * stride;
      for (unsigned x = 0; x < width_; ++x) {
        const unsigned index = indices_[y * width_ + x];
        const std::uint32_t rgb = palette_[index];
        switch (bpp) {
          case 1: p[x / 8] |= static_cast<unsigned char>(index << (7 - x % 8)); break;
          case 4: p[x / 2] |= static_cast<unsigned char>(x % 2 ? index : index << 4); break;
          case 8: p[x] = static_cast<unsigned char>(index); break;
          case 16: {
            const std::uint32_t v = Pack(rgb, masks);
            p[2 * x] = v & 0xFF, p[2 * x + 1] = v >> 8 & 0xFF;
            break;
          }
          case 24: p[3 * x] = rgb & 0xFF, p[3 * x + 1] = rgb >> 8 & 0xFF, p[3 * x + 2] = rgb >> 16 & 0xFF; break;
          case 32: {
            const std::uint32_t v =
                form.compression == 3 ? Pack(rgb, masks) : rgb | 0xAB000000;  // junk in the fourth byte
            for (int k = 0; k < 4; ++k) p[4 * x + k] = v >> (8 * k) & 0xFF;
            break;
          }
        }
      }
    }
    return out;
  }

  // Run-length data: each row as runs of equal indices (two bytes each),
  // with an absolute run for the first three pixels of rows that allow it,
  // an end of line after each row and an end of bitmap.
  std::vector<unsigned char> RunLength(const BmpForm& form) const {
    const bool four = form.compression == 2;
    std::vector<unsigned char> out;
    for (unsigned row = 0; row < height_; ++row) {
      const unsigned* line = indices_.data() + (height_ - 1 - row) * width_;
      unsigned x = 0;
      if (width_ >= 3) {
        out.push_back(0), out.push_back(3);
        if (four) {
          out.push_back(static_cast<unsigned char>(line[0] << 4 | line[1])),
              out.push_back(static_cast<unsigned char>(line[2] << 4));
        } else {
          out.push_back(static_cast<unsigned char>(line[0])), out.push_back(static_cast<unsigned char>(line[1]));
          out.push_back(static_cast<unsigned char>(line[2])), out.push_back(0);
        }
        x = 3;
      }
      while (x < width_) {
        unsigned run = 1;
        while (x + run < width_ && line[x + run] == line[x] && run < 255) ++run;
        out.push_back(static_cast<unsigned char>(run));
        out.push_back(static_cast<unsigned char>(four ? line[x] << 4 | line[x] : line[x]));
        x += run;
      }
      out.push_back(0), out.push_back(0);
    }
    out.push_back(0), out.push_back(1);
    return out;
  }

  unsigned width_, height_;
  std::vector<unsigned> indices_;
  std::vector<std::uint32_t> palette_;
};

// Every form the decoder accepts.
inline std::vector<BmpForm> AllBmpForms() {
  std::vector<BmpForm> forms;
  for (unsigned bpp : {1u, 4u, 8u, 24u}) forms.push_back({12, bpp});
  for (unsigned header : {40u, 52u, 108u, 124u}) {
    for (unsigned bpp : {1u, 4u, 8u, 16u, 24u, 32u}) {
      forms.push_back({header, bpp});
      forms.push_back({header, bpp, 0, true});
    }
    forms.push_back({header, 8, 1});
    forms.push_back({header, 4, 2});
    forms.push_back({header, 16, 3, false, {0xF800, 0x07E0, 0x001F}});
    forms.push_back({header, 16, 3, true, {0x0F00, 0x00F0, 0x000F}});
    forms.push_back({header, 32, 3, false, {0x0000FF00, 0x00FF0000, 0xFF000000}});
    forms.push_back({header, 32, 3, true, {0x3FF00000, 0x000FFC00, 0x000003FF}});
  }
  return forms;
}

}  // namespace morvexa::testing_support
