#include "convert/band_pipeline.h"

#include <mutex>
#include <optional>
#include <thread>

#include "convert/bands_ahead.h"

namespace morvexa {

namespace {

// Bands read and mapped ahead on two threads, written in order on the
// calling one. Each band is mapped ahead, where it is read, with what was
// known then; one that could not be is mapped in its turn by the writer.
void ParallelBands(PictureReader& picture, BandMapping& mapping) {
  constexpr std::size_t kBands = 4;
  struct Slot {
    Band band;
    std::function<bool(Band&)> ahead;
  };
  Slot slots[kBands];
  // What the mapping knows is published by the writer while bands are read.
  std::mutex known;
  BandsAhead bands(
      kBands,
      [&](std::size_t index) {
        Slot& slot = slots[index];
        {
          const std::lock_guard lock(known);
          slot.ahead = mapping.Ahead();
        }
        slot.band.mapped = false;
        slot.band.count = picture.ReadRows(picture.RowsPerBand(), slot.band.rows);
        return slot.band.count > 0;
      },
      [&](std::size_t index) { slots[index].band.mapped = slots[index].ahead(slots[index].band); });
  while (const std::optional<std::size_t> index = bands.Next()) {
    Band& band = slots[*index].band;
    if (!band.mapped) {
      mapping.MapInTurn(band);
      const std::lock_guard lock(known);
      mapping.Publish();
    }
    mapping.Write(band);
  }
}

}  // namespace

void RunBandPipeline(PictureReader& picture, BandMapping& mapping) {
  // Small pictures are read where they are converted; the second thread
  // pays off from a few megabytes on.
  constexpr std::size_t kParallelBytes = 2 << 20;
  if (picture.Width() * picture.Height() * BytesPerPixel(picture.Form()) >= kParallelBytes &&
      std::thread::hardware_concurrency() > 1) {
    ParallelBands(picture, mapping);
    return;
  }
  Band band;
  while ((band.count = picture.ReadRows(picture.RowsPerBand(), band.rows)) > 0) {
    mapping.MapInTurn(band);
    mapping.Write(band);
  }
}

}  // namespace morvexa
