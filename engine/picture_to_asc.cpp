#include "picture_to_asc.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "byte_string.h"
#include "color_table.h"

namespace morvexa {

namespace {

constexpr Rgb kNoColor = 0xFF000000;  // above every 24-bit color

// What a conversion knows of its colors: the table, and the symbol worked
// out for each palette index so far (0: not yet).
struct Symbols {
  ColorTable table;
  std::vector<unsigned char> ofIndex;
};

// The color of pixel x of a row of step-byte pixels whose color is the low
// 24 bits of the little-endian word they start.
inline Rgb ColorAt(const unsigned char* row, std::size_t x, std::size_t step) {
  std::uint32_t word;
  std::memcpy(&word, row + x * step, 4);
  return word & 0xFFFFFF;
}

// Maps rows of pixels to symbols with what is known so far. Speculative
// mapping (Mutable false) meets a color the table lacks while it could
// still number it and gives up: the row must then wait its turn.
template <bool Mutable>
class RowMapper {
 public:
  using Known = std::conditional_t<Mutable, Symbols, const Symbols>;

  RowMapper(Known& known, const std::vector<Rgb>& palette, CharList* list)
      : known_(known), palette_(palette), list_(list) {}

  // False when a speculative mapping gave up.
  bool Map(PixelForm form, const unsigned char* row, std::size_t width, char* out) {
    switch (form) {
      case PixelForm::Bgr24: return MapColors(row, width, out, 3);
      case PixelForm::Bgrx32:
      case PixelForm::Rgb32: return MapColors(row, width, out, 4);
      case PixelForm::Index8: return MapIndices<std::uint8_t>(row, width, out);
      case PixelForm::Index16: return MapIndices<std::uint16_t>(row, width, out);
    }
    return false;
  }

 private:
  // The one-byte symbol of color c: its symbol in the table, or, for a new
  // color, the symbol of the next number, which is then added to the
  // symbol list with AddIfAbsent. 0 when a speculative mapping gives up.
  unsigned char ColorToChar(Rgb c) {
    if (const unsigned char symbol = known_.table.Find(c)) return symbol;
    // From number 95 on the symbol is "!", listed by number 1.
    if (known_.table.Full()) return '!';
    if constexpr (!Mutable) {
      return 0;
    } else {
      const unsigned char symbol = known_.table.Add(c);
      const char entry = static_cast<char>(symbol);
      list_->AddIfAbsent(ByteStringView(&entry, 1));
      return symbol;
    }
  }

  bool MapColors(const unsigned char* row, std::size_t width, char* out, std::size_t step) {
    // Neighboring pixels often share a color: the last one is kept at hand.
    Rgb last = kNoColor;
    char lastSymbol = 0;
    std::size_t x = 0;
    for (; x < width && !known_.table.Full(); ++x) {
      const Rgb c = ColorAt(row, x, step);
      if (c != last) {
        const unsigned char symbol = ColorToChar(c);
        if (symbol == 0) return false;
        last = c;
        lastSymbol = static_cast<char>(symbol);
      }
      out[x] = lastSymbol;
    }
    // With 95 colors numbered, a pixel's symbol depends on its color alone:
    // eight at a time, and "!" for all eight when the table's filter rules
    // out every one of them.
    const ColorTable& table = known_.table;
    for (; x + 8 <= width; x += 8) {
      bool any = false;
      for (std::size_t k = 0; k < 8; ++k) any |= table.MayHold(ColorAt(row, x + k, step));  // no early exit: no branch
      if (!any) {
        std::memset(out + x, '!', 8);
        continue;
      }
      for (std::size_t k = 0; k < 8; ++k) out[x + k] = SymbolOnceFull(ColorAt(row, x + k, step));
    }
    for (; x < width; ++x) out[x] = SymbolOnceFull(ColorAt(row, x, step));
    return true;
  }

  char SymbolOnceFull(Rgb c) const {
    const unsigned char symbol = known_.table.MayHold(c) ? known_.table.Look(c) : 0;
    return static_cast<char>(symbol != 0 ? symbol : '!');
  }

  // Palette indices: each index's symbol is worked out at its first pixel.
  template <typename Index>
  bool MapIndices(const unsigned char* row, std::size_t width, char* out) {
    for (std::size_t x = 0; x < width; ++x) {
      Index index;
      std::memcpy(&index, row + x * sizeof(Index), sizeof(Index));
      unsigned char symbol = known_.ofIndex[index];
      if (symbol == 0) {
        symbol = ColorToChar(palette_[index] & 0xFFFFFF);
        if (symbol == 0) return false;
        if constexpr (Mutable) known_.ofIndex[index] = symbol;
      }
      out[x] = static_cast<char>(symbol);
    }
    return true;
  }

  Known& known_;
  const std::vector<Rgb>& palette_;
  CharList* list_;
};

// A band of rows and its art text: each line of width bytes followed by
// CR LF.
struct Band {
  RowBand rows;
  std::vector<char> art;
  std::size_t count = 0;
  bool mapped = false;
};

template <typename Mapper>
bool MapRows(Mapper& mapper, Band& band, std::size_t width) {
  const std::size_t stride = width + kLineBreak.size();
  band.art.resize(band.count * stride);
  for (std::size_t i = 0; i < band.count; ++i) {
    char* line = band.art.data() + i * stride;
    if (!mapper.Map(band.rows.form, band.rows.rows[i], width, line)) return false;
    std::memcpy(line + width, kLineBreak.data(), kLineBreak.size());
  }
  return true;
}

void MapBand(RowMapper<true>& mapper, Band& band, std::size_t width) {
  (void)MapRows(mapper, band, width);
  band.mapped = true;
}

bool MapBandSpeculatively(const Symbols& known, const std::vector<Rgb>& palette, Band& band, std::size_t width) {
  RowMapper<false> mapper(known, palette, nullptr);
  return MapRows(mapper, band, width);
}

// Where the colors of the cells come from, for an area that keeps them:
// the pixels' own, or the colors given for the cells.
struct CellColors {
  const std::vector<Rgb>& palette;
  const PixelImage* given;
  std::vector<Rgb> scratch;
};

void WriteBand(const Band& band, std::size_t& y, ArtArea& area, CellColors& colors, std::size_t width) {
  const ByteStringView art(band.art.data(), band.art.size());
  if (area.KeepsColors()) {
    const std::size_t stride = width + kLineBreak.size();
    colors.scratch.resize(band.art.size());
    for (std::size_t i = 0; i < band.count; ++i) {
      Rgb* row = colors.scratch.data() + i * stride;
      if (colors.given) {
        std::copy_n(colors.given->Row(y + i), width, row);
      } else {
        RowColors(band.rows.form, band.rows.rows[i], width, colors.palette, row);
      }
    }
    area.WriteColoredLines(y, band.count, art, colors.scratch);
  } else {
    area.WriteLines(y, band.count, art);
  }
  y += band.count;
}

// Bands read and mapped on two threads, written in order on the calling
// one. Reading is in order, one band at a time. Mapping is sequential in
// essence (a color's number depends on every pixel before it), but a band
// whose colors are all known already maps the same whenever it is mapped:
// each thread maps the bands it reads with what was known when it read
// them, and a band that meets a color not yet known is mapped again, in
// turn, by the writer. Once 95 colors are known, or every color a picture
// has, no band needs that.
class ParallelBands {
 public:
  ParallelBands(PictureReader& picture, Symbols& known, CharList& list, ArtArea& area, CellColors& colors)
      : picture_(picture), known_(known), list_(list), area_(area), colors_(colors), width_(picture.Width()) {
    published_ = std::make_shared<const Symbols>(known_);
  }

  void Run() {
    std::thread helper([this] { Help(); });
    try {
      Write();
    } catch (...) {
      Stop();
      helper.join();
      throw;
    }
    Stop();
    helper.join();
  }

 private:
  static constexpr std::size_t kBands = 4;

  struct Slot {
    Band band;
    std::size_t index = 0;
    bool ready = false;
    std::exception_ptr failure;
  };

  // Whether a band may be read now: there is one left and a free slot.
  bool CanClaim() const { return !stopping_ && !ended_ && claimed_ < written_ + kBands; }

  // Reads the next band into a free slot (CanClaim) and maps it
  // speculatively.
  void ReadNext(std::unique_lock<std::mutex>& lock) {
    const std::size_t index = claimed_++;
    Slot& slot = slots_[index % kBands];
    slot.index = index;
    slot.ready = false;
    slot.failure = nullptr;
    slot.band.count = 0;
    slot.band.mapped = false;
    // Bands are read in the order they are claimed: the reader is
    // sequential.
    changed_.wait(lock, [&] { return stopping_ || read_ == index; });
    if (stopping_) return;
    const bool readable = !ended_;
    const std::shared_ptr<const Symbols> known = published_;
    lock.unlock();
    try {
      if (readable) slot.band.count = picture_.ReadRows(picture_.RowsPerBand(), slot.band.rows);
    } catch (...) {
      slot.failure = std::current_exception();
    }
    lock.lock();
    ++read_;
    if (slot.failure || slot.band.count == 0) ended_ = true;
    changed_.notify_all();
    if (slot.band.count > 0) {
      lock.unlock();
      slot.band.mapped = MapBandSpeculatively(*known, picture_.Palette(), slot.band, width_);
      lock.lock();
    }
    slot.ready = true;
    changed_.notify_all();
  }

  void Help() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stopping_ || ended_ || CanClaim(); });
      if (!CanClaim()) return;
      ReadNext(lock);
    }
  }

  void Write() {
    RowMapper<true> mapper(known_, picture_.Palette(), &list_);
    std::size_t y = 0;
    for (std::size_t next = 0;; ++next) {
      std::unique_lock lock(mutex_);
      Slot& slot = slots_[next % kBands];
      // Reads a band itself while the one to write is not ready yet.
      auto ready = [&] { return next < claimed_ && slot.index == next && slot.ready; };
      while (!ready()) {
        if (CanClaim()) {
          ReadNext(lock);
        } else {
          changed_.wait(lock, [&] { return ready() || CanClaim(); });
        }
      }
      lock.unlock();
      if (slot.failure) std::rethrow_exception(slot.failure);
      if (slot.band.count == 0) return;
      if (!slot.band.mapped) {
        MapBand(mapper, slot.band, width_);
        lock.lock();
        published_ = std::make_shared<const Symbols>(known_);
        lock.unlock();
      }
      WriteBand(slot.band, y, area_, colors_, width_);
      lock.lock();
      ++written_;
      changed_.notify_all();
    }
  }

  void Stop() {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    changed_.notify_all();
  }

  PictureReader& picture_;
  Symbols& known_;
  CharList& list_;
  ArtArea& area_;
  CellColors& colors_;
  const std::size_t width_;

  std::mutex mutex_;
  std::condition_variable changed_;
  Slot slots_[kBands];
  std::size_t claimed_ = 0, read_ = 0, written_ = 0;
  bool ended_ = false, stopping_ = false;
  std::shared_ptr<const Symbols> published_;
};

}  // namespace

void PictureToAsc(PictureReader& picture, CharList& list, ArtArea& area) { PictureToAsc(picture, list, area, nullptr); }

void PictureToAsc(PictureReader& picture, CharList& list, ArtArea& area, const PixelImage* cellColors) {
  area.Clear();
  list.Clear();
  CellColors colors{picture.Palette(), cellColors, {}};
  Symbols known;
  known.ofIndex.assign(picture.Palette().size(), 0);
  const std::size_t width = picture.Width();
  // Small pictures are read where they are converted; the second thread
  // pays off from a few megabytes on.
  constexpr std::size_t kParallelBytes = 2 << 20;
  if (width * picture.Height() * BytesPerPixel(picture.Form()) >= kParallelBytes &&
      std::thread::hardware_concurrency() > 1) {
    ParallelBands(picture, known, list, area, colors).Run();
    return;
  }
  RowMapper<true> mapper(known, picture.Palette(), &list);
  Band band;
  std::size_t y = 0;
  while ((band.count = picture.ReadRows(picture.RowsPerBand(), band.rows)) > 0) {
    MapBand(mapper, band, width);
    WriteBand(band, y, area, colors, width);
  }
}

}  // namespace morvexa
