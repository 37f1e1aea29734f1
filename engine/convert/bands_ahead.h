#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace morvexa {

// Bands of a picture made in order, a few ahead of the thread that takes
// them: the one mechanism by which work on a picture's bands is shared
// between threads.
//
// The bands live in the owner's slots, numbered 0 to slots - 1 and used in
// turn. A band is made by `make`, strictly in order and one at a time, on
// whichever thread is free: a second thread of its own, or the taking
// thread while the band it waits for has not been begun. `make` returns
// false when there is no band left. A made band may then be worked on by
// `finish` on the same thread, while the next band is made.
//
// Next hands the bands out in order. A failure (an exception from make or
// finish) is raised by Next in its band's place, once every band before it
// was taken; nothing is made after it. Destroying the object, or leaving
// early, stops the second thread and waits for it: it is the one stop path.
class BandsAhead {
 public:
  using Make = std::function<bool(std::size_t slot)>;
  using Finish = std::function<void(std::size_t slot)>;

  BandsAhead(std::size_t slots, Make make, Finish finish = {});
  ~BandsAhead();
  BandsAhead(const BandsAhead&) = delete;
  BandsAhead& operator=(const BandsAhead&) = delete;

  // The slot of the next band, which is the caller's until the next call;
  // nothing once the bands have ended (and at every call after).
  std::optional<std::size_t> Next();

 private:
  struct Slot {
    std::size_t band = 0;
    bool ready = false;
    bool end = false;
    std::exception_ptr failure;
  };

  bool CanBegin() const;
  void MakeNext(std::unique_lock<std::mutex>& lock);
  void Help();

  const Make make_;
  const Finish finish_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Slot> slots_;
  // Bands begun, made (in order), and handed to the taker.
  std::size_t begun_ = 0, made_ = 0, taken_ = 0;
  bool ended_ = false, stopping_ = false;
  // The taker's own: whether the bands are over for it, and how.
  bool over_ = false;
  std::exception_ptr failure_;
  std::thread helper_;  // started last, once everything it uses is made
};

}  // namespace morvexa
