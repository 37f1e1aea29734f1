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

// While positive, signals are only noted in arrived (the first one).
std::atomic<int> deferring{0};
std::atomic<int> arrived{0};

void RemoveRegistered() {
  for (Slot& slot : slots) {
    if (slot.live.load(std::memory_order_acquire)) unlink(slot.path);
  }
}

[[noreturn]] void Die(int signal) {
  RemoveRegistered();
  // The default action ends the process once the signal is let through.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  sigset_t just;
  sigemptyset(&just);
  sigaddset(&just, signal);
  pthread_sigmask(SIG_UNBLOCK, &just, nullptr);
  raise(signal);
  _exit(128 + signal);  // should the signal not end it
}

extern "C" void RemoveAndDie(int signal) {
  if (deferring.load() > 0) {
    int none = 0;
    arrived.compare_exchange_strong(none, signal);
    return;
  }
  const int saved = errno;
  RemoveRegistered();
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

SignalsDeferred::SignalsDeferred() { deferring.fetch_add(1); }

SignalsDeferred::~SignalsDeferred() {
  if (deferring.fetch_sub(1) == 1 && arrived.load() != 0) Die(arrived.load());
}

bool SignalsDeferred::Arrived() const { return arrived.load() != 0; }

void SignalsDeferred::EndAsSignalled() const { Die(arrived.load()); }

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
