#include "convert/band_pipeline.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace morvexa {

namespace {

// Bands read and mapped ahead on two threads, written in order on the
// calling one. Reading is in order, one band at a time (the reader is
// sequential); each thread maps the bands it reads ahead, and a band that
// could not be is mapped in its turn by the writer.
class ParallelBands {
 public:
  ParallelBands(PictureReader& picture, BandMapping& mapping) : picture_(picture), mapping_(mapping) {}

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

  // Reads the next band into a free slot (CanClaim) and maps it ahead.
  void ReadNext(std::unique_lock<std::mutex>& lock) {
    const std::size_t index = claimed_++;
    Slot& slot = slots_[index % kBands];
    slot.index = index;
    slot.ready = false;
    slot.failure = nullptr;
    slot.band.count = 0;
    slot.band.mapped = false;
    // Bands are read in the order they are claimed.
    changed_.wait(lock, [&] { return stopping_ || read_ == index; });
    if (stopping_) return;
    const bool readable = !ended_;
    const std::function<bool(Band&)> ahead = mapping_.Ahead();
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
      slot.band.mapped = ahead(slot.band);
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
        mapping_.MapInTurn(slot.band);
        lock.lock();
        mapping_.Publish();
        lock.unlock();
      }
      mapping_.Write(slot.band);
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
  BandMapping& mapping_;

  std::mutex mutex_;
  std::condition_variable changed_;
  Slot slots_[kBands];
  std::size_t claimed_ = 0, read_ = 0, written_ = 0;
  bool ended_ = false, stopping_ = false;
};

}  // namespace

void RunBandPipeline(PictureReader& picture, BandMapping& mapping) {
  // Small pictures are read where they are converted; the second thread
  // pays off from a few megabytes on.
  constexpr std::size_t kParallelBytes = 2 << 20;
  if (picture.Width() * picture.Height() * BytesPerPixel(picture.Form()) >= kParallelBytes &&
      std::thread::hardware_concurrency() > 1) {
    ParallelBands(picture, mapping).Run();
    return;
  }
  Band band;
  while ((band.count = picture.ReadRows(picture.RowsPerBand(), band.rows)) > 0) {
    mapping.MapInTurn(band);
    mapping.Write(band);
  }
}

}  // namespace morvexa
