#include "convert/read_ahead.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace morvexa {

namespace {

class ReadAheadReader final : public PictureReader {
 public:
  explicit ReadAheadReader(std::unique_ptr<PictureReader> picture) : picture_(std::move(picture)) {
    width_ = picture_->Width();
    height_ = picture_->Height();
    form_ = PixelForm::Rgb32;
    thread_ = std::thread([this] { Read(); });
  }

  ~ReadAheadReader() override {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    band.form = PixelForm::Rgb32;
    band.rows.clear();
    if (current_.rows == next_) {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return !ready_.empty() || ended_; });
      if (ready_.empty()) {
        if (failure_) std::rethrow_exception(failure_);
        return 0;
      }
      // The band handed out last goes back to be filled again.
      if (!current_.pixels.empty()) spare_.push_back(std::move(current_));
      current_ = std::move(ready_.front());
      ready_.pop_front();
      next_ = 0;
      lock.unlock();
      changed_.notify_all();
    }
    // The rows stay where they were read to until the next call.
    const std::size_t taken = std::min(count, current_.rows - next_);
    for (std::size_t i = 0; i < taken; ++i) {
      band.rows.push_back(reinterpret_cast<const unsigned char*>(current_.pixels.data() + (next_ + i) * width_));
    }
    next_ += taken;
    return taken;
  }

 private:
  // Rows of colors, read ahead.
  struct Rows {
    std::vector<Rgb> pixels;
    std::size_t rows = 0;
  };

  // On the thread of its own: reads every band, while fewer than
  // kBandsAhead are waiting.
  void Read() {
    try {
      RowBand band;
      for (;;) {
        Rows rows;
        {
          std::unique_lock lock(mutex_);
          changed_.wait(lock, [this] { return ready_.size() < kBandsAhead || stop_; });
          if (stop_) return;
          if (!spare_.empty()) {
            rows = std::move(spare_.back());
            spare_.pop_back();
          }
        }
        rows.rows = picture_->ReadRows(picture_->RowsPerBand(), band);
        if (rows.rows == 0) break;
        rows.pixels.resize(rows.rows * width_);
        for (std::size_t i = 0; i < rows.rows; ++i) {
          RowColors(band.form, band.rows[i], width_, picture_->Palette(), rows.pixels.data() + i * width_);
        }
        {
          const std::lock_guard lock(mutex_);
          ready_.push_back(std::move(rows));
        }
        changed_.notify_all();
      }
    } catch (...) {
      const std::lock_guard lock(mutex_);
      failure_ = std::current_exception();
    }
    {
      const std::lock_guard lock(mutex_);
      ended_ = true;
    }
    changed_.notify_all();
  }

  std::unique_ptr<PictureReader> picture_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Rows> ready_;
  std::vector<Rows> spare_;
  bool stop_ = false, ended_ = false;
  std::exception_ptr failure_;
  Rows current_;          // the band rows are handed out from (the reader's side)
  std::size_t next_ = 0;  // its next row
  std::thread thread_;    // started last, once everything it uses is made
};

}  // namespace

std::unique_ptr<PictureReader> ReadAhead(std::unique_ptr<PictureReader> picture) {
  return std::make_unique<ReadAheadReader>(std::move(picture));
}

}  // namespace morvexa
