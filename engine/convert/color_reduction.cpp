#include "convert/color_reduction.h"

#include <dlfcn.h>
#include <libimagequant.h>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_set>
#include <vector>

namespace morvexa {

namespace {

// libimagequant runs its loops on OpenMP's threads, one a core. For a
// small picture (the cells of most sized art) starting them costs more than
// they save, and on a busy machine they wait for each other: such a picture
// is reduced on the calling thread alone. OpenMP's thread count is the
// calling thread's own setting, asked of the OpenMP library libimagequant
// brought in, and put back after.
class OneThreadFor {
 public:
  explicit OneThreadFor(std::size_t pixels) {
    if (pixels >= kOneThreadPixels) return;
    using GetThreads = int (*)();
    const auto get = reinterpret_cast<GetThreads>(dlsym(RTLD_DEFAULT, "omp_get_max_threads"));
    set_ = reinterpret_cast<SetThreads>(dlsym(RTLD_DEFAULT, "omp_set_num_threads"));
    if (!get || !set_) {
      set_ = nullptr;
      return;
    }
    before_ = get();
    set_(1);
  }
  ~OneThreadFor() {
    if (set_) set_(before_);
  }
  OneThreadFor(const OneThreadFor&) = delete;
  OneThreadFor& operator=(const OneThreadFor&) = delete;

 private:
  using SetThreads = void (*)(int);
  SetThreads set_ = nullptr;
  int before_ = 1;
};

struct LiqDeleter {
  void operator()(liq_attr* attr) const { liq_attr_destroy(attr); }
  void operator()(liq_image* image) const { liq_image_destroy(image); }
  void operator()(liq_result* result) const { liq_result_destroy(result); }
};

// libimagequant 2.17 (Debian 12's) keeps a row buffer for each of its
// threads for a picture of more than 4,194,304 pixels, and each time it
// prepares such a picture's rows (for its histogram, then for remapping) it
// allocates a new buffer over the last without freeing it: 16 bytes a
// pixel of a row a thread, hundreds of kilobytes lost a reduction. It takes
// its memory from an allocator it is given: every block is recorded, and
// those it has not freed once its objects are destroyed are freed then.
// Reductions take turns, so that the blocks left are the last one's.
class LiqBlocks {
 public:
  static void* Allocate(std::size_t size) {
    void* block = std::malloc(size);
    if (!block) return nullptr;
    try {
      const std::lock_guard lock(Mutex());
      Live().insert(block);
    } catch (...) {
      std::free(block);
      return nullptr;
    }
    return block;
  }
  static void Free(void* block) {
    if (!block) return;
    {
      const std::lock_guard lock(Mutex());
      Live().erase(block);
    }
    std::free(block);
  }
  // Frees what libimagequant left.
  static void FreeLeft() {
    const std::lock_guard lock(Mutex());
    for (void* block : Live()) std::free(block);
    Live().clear();
  }
  // Held for a whole reduction.
  static std::mutex& Turn() {
    static std::mutex turn;
    return turn;
  }

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static std::unordered_set<void*>& Live() {
    static std::unordered_set<void*> live;
    return live;
  }
};

// Frees what libimagequant left, however the reduction ends: made before
// its objects, so destroyed after them.
struct FreeLeftBlocks {
  std::lock_guard<std::mutex> turn{LiqBlocks::Turn()};
  ~FreeLeftBlocks() { LiqBlocks::FreeLeft(); }
};

// Hands libimagequant a row of the picture as it asks for it, in its own
// form (red, green, blue, opaque), so that no copy of the picture is made.
void RowOfPicture(liq_color rowOut[], int row, int width, void* user) {
  const Rgb* from = static_cast<PixelRows*>(user)->Row(static_cast<std::size_t>(row));
  for (int x = 0; x < width; ++x) {
    const Rgb c = from[x];
    rowOut[x] = {static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 8), static_cast<unsigned char>(c),
                 255};
  }
}

}  // namespace

std::unique_ptr<PictureReader> ReduceColors(PixelRows& picture, int colors, bool dither, bool allThreads) {
  const std::size_t width = picture.Width(), height = picture.Height();
  std::vector<unsigned char> indices(width * height + RowBand::kSlack);
  std::vector<Rgb> palette(256, 0);
  if (width * height > 0) {
    const FreeLeftBlocks freeLeft;
    const OneThreadFor threads(picture.Whole() && (allThreads || width * height >= kOneThreadPixels) ? kOneThreadPixels
                                                                                                     : 0);
    std::unique_ptr<liq_attr, LiqDeleter> attr(liq_attr_create_with_allocator(LiqBlocks::Allocate, LiqBlocks::Free));
    if (!attr) throw std::bad_alloc();
    liq_set_max_colors(attr.get(), colors);
    std::unique_ptr<liq_image, LiqDeleter> image(liq_image_create_custom(
        attr.get(), RowOfPicture, &picture, static_cast<int>(width), static_cast<int>(height), 0));
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

std::size_t CountColors(PictureReader& picture, std::size_t limit) {
  std::unordered_set<Rgb> seen;
  RowBand band;
  std::vector<Rgb> row(picture.Width());
  while (seen.size() <= limit && picture.ReadRows(picture.RowsPerBand(), band) > 0) {
    for (const unsigned char* pixels : band.rows) {
      RowColors(band.form, pixels, row.size(), picture.Palette(), row.data());
      for (const Rgb c : row) {
        seen.insert(c);
        if (seen.size() > limit) return seen.size();
      }
    }
  }
  return seen.size();
}

}  // namespace morvexa
