#include "morvexa/temporary_files.h"

#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace morvexa::temporary_files {

namespace {

// Fixed storage, so that the signal handler reads nothing that a running
// allocation could be moving.
constexpr int kSlots = 16;

struct Slot {
  std::atomic<bool> taken{false};  // the slot belongs to a registration
  std::atomic<bool> live{false};   // path holds a file to remove
  char path[PATH_MAX];
};

Slot slots[kSlots];

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

extern "C" void RemoveAndDie(int signal) {
  const int saved = errno;
  for (Slot& slot : slots) {
    if (slot.live.load(std::memory_order_acquire)) unlink(slot.path);
  }
  // The default action ends the process once the handler returns.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  raise(signal);
  errno = saved;
}

}  // namespace

int Register(std::string_view path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    bool expected = false;
    if (!slots[i].taken.compare_exchange_strong(expected, true)) continue;
    std::memcpy(slots[i].path, path.data(), path.size());
    slots[i].path[path.size()] = '\0';
    slots[i].live.store(true, std::memory_order_release);
    return i;
  }
  return -1;
}

void Unregister(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  slots[slot].live.store(false, std::memory_order_release);
  slots[slot].taken.store(false, std::memory_order_release);
}

SignalsHeld::SignalsHeld() {
  sigset_t held;
  sigemptyset(&held);
  for (int signal : kSignals) sigaddset(&held, signal);
  pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

SignalsHeld::~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

void CleanUpOnSignals() {
  for (int signal : kSignals) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
    struct sigaction cleanup {};
    cleanup.sa_handler = RemoveAndDie;
    sigemptyset(&cleanup.sa_mask);
    for (int other : kSignals) sigaddset(&cleanup.sa_mask, other);
    sigaction(signal, &cleanup, nullptr);
  }
}

}  // namespace morvexa::temporary_files
