#include "convert/color_reduction.h"

#include <libimagequant.h>

#include <memory>
#include <new>
#include <unordered_set>
#include <vector>

namespace morvexa {

namespace {

struct LiqDeleter {
  void operator()(liq_attr* attr) const { liq_attr_destroy(attr); }
  void operator()(liq_image* image) const { liq_image_destroy(image); }
  void operator()(liq_result* result) const { liq_result_destroy(result); }
};

}  // namespace

std::unique_ptr<PictureReader> ReduceColors(const PixelImage& picture, int colors, bool dither) {
  const std::size_t width = picture.width, height = picture.height;
  std::vector<unsigned char> rgba(width * height * 4);
  for (std::size_t i = 0; i < width * height; ++i) {
    const Rgb c = picture.pixels[i];
    rgba[4 * i] = static_cast<unsigned char>(c >> 16), rgba[4 * i + 1] = static_cast<unsigned char>(c >> 8);
    rgba[4 * i + 2] = static_cast<unsigned char>(c), rgba[4 * i + 3] = 255;
  }
  std::vector<unsigned char> indices(width * height + RowBand::kSlack);
  std::vector<Rgb> palette(256, 0);
  if (width * height > 0) {
    std::unique_ptr<liq_attr, LiqDeleter> attr(liq_attr_create());
    if (!attr) throw std::bad_alloc();
    liq_set_max_colors(attr.get(), colors);
    std::unique_ptr<liq_image, LiqDeleter> image(
        liq_image_create_rgba(attr.get(), rgba.data(), static_cast<int>(width), static_cast<int>(height), 0));
    liq_result* quantized = nullptr;
    if (!image || liq_image_quantize(image.get(), attr.get(), &quantized) != LIQ_OK) throw std::bad_alloc();
    std::unique_ptr<liq_result, LiqDeleter> result(quantized);
    liq_set_dithering_level(result.get(), dither ? 1.0f : 0.0f);
    if (liq_write_remapped_image(result.get(), image.get(), indices.data(), width * height) != LIQ_OK) {
      throw std::bad_alloc();
    }
    const liq_palette* chosen = liq_get_palette(result.get());
    for (unsigned i = 0; i < chosen->count; ++i) {
      palette[i] = static_cast<Rgb>(chosen->entries[i].r) << 16 | chosen->entries[i].g << 8 | chosen->entries[i].b;
    }
  }
  return std::make_unique<IndexedMemoryPicture>(width, height, std::move(indices), std::move(palette));
}

std::size_t CountColors(const PixelImage& picture, std::size_t limit) {
  std::unordered_set<Rgb> seen;
  for (std::size_t i = 0; i < picture.width * picture.height && seen.size() <= limit; ++i)
    seen.insert(picture.pixels[i]);
  return seen.size();
}

}  // namespace morvexa
