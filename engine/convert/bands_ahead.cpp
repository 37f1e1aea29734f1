#include "convert/bands_ahead.h"

namespace morvexa {

BandsAhead::BandsAhead(std::size_t slots, Make make, Finish finish)
    : make_(std::move(make)), finish_(std::move(finish)), slots_(slots) {
  helper_ = std::thread([this] { Help(); });
}

BandsAhead::~BandsAhead() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  helper_.join();
}

// Whether a band may be begun now: there may be one left, and a slot that
// the taker no longer holds.
bool BandsAhead::CanBegin() const {
  const std::size_t released = taken_ == 0 ? 0 : taken_ - 1;
  return !stopping_ && !ended_ && begun_ < released + slots_.size();
}

// Begins the next band (CanBegin), makes it in its turn and finishes it.
void BandsAhead::MakeNext(std::unique_lock<std::mutex>& lock) {
  const std::size_t band = begun_++;
  const std::size_t index = band % slots_.size();
  Slot& slot = slots_[index];
  slot = Slot{band, false, false, nullptr};
  changed_.wait(lock, [&] { return stopping_ || made_ == band; });
  if (stopping_) return;
  bool made = false;
  if (!ended_) {
    lock.unlock();
    try {
      made = make_(index);
    } catch (...) {
      slot.failure = std::current_exception();
    }
    lock.lock();
  }
  ++made_;
  if (!made) {
    ended_ = true;
    slot.end = !slot.failure;
  }
  changed_.notify_all();
  if (made && finish_) {
    lock.unlock();
    try {
      finish_(index);
    } catch (...) {
      slot.failure = std::current_exception();
    }
    lock.lock();
    if (slot.failure) ended_ = true;
  }
  slot.ready = true;
  changed_.notify_all();
}

// On the second thread: makes bands while there is room for them.
void BandsAhead::Help() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || ended_ || CanBegin(); });
    if (!CanBegin()) return;
    MakeNext(lock);
  }
}

std::optional<std::size_t> BandsAhead::Next() {
  if (over_) {
    if (failure_) std::rethrow_exception(failure_);
    return std::nullopt;
  }
  std::unique_lock lock(mutex_);
  // The band handed out before is released: its slot may be made again.
  const std::size_t band = taken_++;
  changed_.notify_all();
  Slot& slot = slots_[band % slots_.size()];
  auto ready = [&] { return band < begun_ && slot.band == band && slot.ready; };
  // While the band is not ready, this thread makes one itself if it can:
  // its own, or, when bands have a finish step that threads can share, the
  // next one. (Without one, making is the serial part: a band made here
  // ahead of its turn would only keep this thread from its own.)
  auto canHelp = [&] { return CanBegin() && (finish_ || begun_ == band); };
  while (!ready()) {
    if (canHelp()) {
      MakeNext(lock);
    } else {
      changed_.wait(lock, [&] { return ready() || canHelp(); });
    }
  }
  if (slot.failure || slot.end) {
    over_ = true;
    failure_ = slot.failure;
    if (failure_) std::rethrow_exception(failure_);
    return std::nullopt;
  }
  return band % slots_.size();
}

}  // namespace morvexa
