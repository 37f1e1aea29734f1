#include "cli_player.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <string_view>
#include <vector>

namespace morvexa::cli {

namespace {

volatile std::sig_atomic_t endedBy = 0;  // the signal that ends the playing
volatile std::sig_atomic_t resized = 0;
volatile std::sig_atomic_t stopAsked = 0;  // Ctrl-Z (SIGTSTP), not yet done
volatile std::sig_atomic_t continued = 0;  // gone on (SIGCONT) after a stop

extern "C" void OnEndingSignal(int signal) { endedBy = signal; }
extern "C" void OnResize(int) { resized = 1; }
extern "C" void OnStopAsked(int) { stopAsked = 1; }
extern "C" void OnContinued(int) { continued = 1; }

// The signals the playing takes, for as long as it lasts. Ctrl-Z is only
// asked for in the handler; the player stops between frames (StopIfAsked),
// never in the middle of an escape it writes.
class PlayingSignals {
 public:
  PlayingSignals() {
    endedBy = 0;
    resized = 0;
    stopAsked = 0;
    continued = 0;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
      const int signal = kSignals[i].signal;
      sigaction(signal, nullptr, &before_[i]);
      // Ctrl-Z ignored (by a shell without job control) stays ignored.
      if (signal == SIGTSTP && before_[i].sa_handler == SIG_IGN) continue;
      struct sigaction action {};
      action.sa_handler = kSignals[i].handler;
      sigemptyset(&action.sa_mask);
      // No SA_RESTART: a signal wakes the sleep between frames.
      sigaction(signal, &action, nullptr);
    }
  }
  ~PlayingSignals() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i].signal, &before_[i], nullptr);
  }
  PlayingSignals(const PlayingSignals&) = delete;
  PlayingSignals& operator=(const PlayingSignals&) = delete;

 private:
  struct Taken {
    int signal;
    void (*handler)(int);
  };
  static constexpr Taken kSignals[] = {{SIGINT, OnEndingSignal}, {SIGTERM, OnEndingSignal}, {SIGHUP, OnEndingSignal},
                                       {SIGWINCH, OnResize},     {SIGTSTP, OnStopAsked},    {SIGCONT, OnContinued}};
  struct sigaction before_[std::size(kSignals)]{};
};

using Nanoseconds = long long;

Nanoseconds Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<Nanoseconds>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void StopIfAsked();

// Sleeps until the time, or until a signal ends the playing; stopped
// meanwhile when Ctrl-Z asks.
void SleepUntil(Nanoseconds when) {
  const timespec until{static_cast<time_t>(when / 1000000000), static_cast<long>(when % 1000000000)};
  while (endedBy == 0) {
    StopIfAsked();
    if (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != EINTR) break;
  }
}

// Writes all of text to standard output; false when the terminal is gone.
bool WriteAll(std::string_view text) {
  while (!text.empty()) {
    const ssize_t wrote = write(STDOUT_FILENO, text.data(), text.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return true;
}

constexpr std::string_view kHideCursor = "\x1b[?25l", kShowCursor = "\x1b[?25h", kResetColors = "\x1b[0m";

// The cursor hidden while playing, and the terminal left as it was however
// the playing ends.
class HiddenCursor {
 public:
  HiddenCursor() { (void)WriteAll(kHideCursor); }
  ~HiddenCursor() {
    std::string restore(kResetColors);
    restore += kShowCursor;
    (void)WriteAll(restore);
  }
  HiddenCursor(const HiddenCursor&) = delete;
  HiddenCursor& operator=(const HiddenCursor&) = delete;
};

// Stops the program when Ctrl-Z asked, as Ctrl-Z would have stopped it,
// but with the terminal left to the shell as it needs it: the colors reset
// and the cursor shown. Returns once it goes on (SIGCONT).
void StopIfAsked() {
  if (stopAsked == 0) return;
  std::string restore(kResetColors);
  restore += kShowCursor;
  (void)WriteAll(restore);
  stopAsked = 0;
  struct sigaction standard {};
  struct sigaction ours {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  sigaction(SIGTSTP, &standard, &ours);
  raise(SIGTSTP);  // stopped here until SIGCONT
  sigaction(SIGTSTP, &ours, nullptr);
}

// The lines of a frame's art, each with its line feed.
std::vector<std::string> LinesOf(std::string_view art) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < art.size();) {
    const std::size_t end = std::min(art.find('\n', at), art.size() - 1) + 1;
    lines.emplace_back(art.substr(at, end - at));
    at = end;
  }
  return lines;
}

// What moves the cursor, which stands below the lines shown, over them and
// writes again those of lines that differ, leaving it below them: nothing
// when none does. Each line sets its own colors and resets them at its
// end, so that a line is drawn the same wherever it is written.
std::string Changes(const std::vector<std::string>& shown, const std::vector<std::string>& lines) {
  std::size_t first = 0;
  while (first < lines.size() && lines[first] == shown[first]) ++first;
  if (first == lines.size()) return {};
  std::string out = "\x1b[" + std::to_string(lines.size() - first) + "A\r";
  std::size_t passed = 0;  // unchanged lines the cursor is still to move down over
  for (std::size_t i = first; i < lines.size(); ++i) {
    if (lines[i] == shown[i]) {
      ++passed;
      continue;
    }
    if (passed > 0) out += "\x1b[" + std::to_string(passed) + "B";
    passed = 0;
    out += lines[i];
  }
  if (passed > 0) out += "\x1b[" + std::to_string(passed) + "B";
  return out;
}

}  // namespace

int PlayOnTerminal(PictureFile& animation, const PlayLimits& limits, const FrameArt& art) {
  const PlayingSignals signals;
  const HiddenCursor cursor;
  const std::size_t plays = limits.plays.value_or(static_cast<std::size_t>(animation.Plays()));
  const Nanoseconds start = Now();
  const Nanoseconds stop = limits.seconds ? start + static_cast<Nanoseconds>(*limits.seconds * 1e9) : 0;
  TerminalSize size = StandardOutputTerminal().value_or(TerminalSize{80, 24});
  std::vector<std::string> shown;  // the lines of the frame on the screen, above the cursor
  bool clear = false;              // whether what is shown must be cleared first (a new size)
  auto status = [] { return endedBy == 0 || endedBy == SIGINT ? 0 : 128 + endedBy; };
  // Draws the frame composed last; false when the terminal is gone.
  auto draw = [&] {
    if (resized != 0) {
      resized = 0;
      size = StandardOutputTerminal().value_or(size);
      clear = true;
    }
    const std::string frame = art(animation.Frame(), size);
    std::vector<std::string> lines = LinesOf(frame);
    std::string out;
    if (continued != 0) {
      // Gone on after a stop: the shell has written below the art since,
      // and the cursor is where the shell left it, so nothing above it is
      // known to be the art. The frame is drawn whole from there, as the
      // first was, rather than over lines of the shell's.
      continued = 0;
      out = kHideCursor;
      out += frame;
    } else if (!clear && lines.size() == shown.size()) {
      // Most frames change a part of the picture: only the lines that
      // changed are written again.
      out = Changes(shown, lines);
    } else {
      if (!shown.empty()) out += "\x1b[" + std::to_string(shown.size()) + "A\r";
      if (clear) out += "\x1b[J";
      out += frame;
      // A frame of fewer lines leaves none of the one before below it.
      if (lines.size() < shown.size() && !clear) out += "\x1b[J";
    }
    if (!WriteAll(out)) return false;
    shown = std::move(lines);
    clear = false;
    StopIfAsked();
    return true;
  };
  Nanoseconds due = start;  // when the next frame is due
  for (std::size_t play = 0; plays == 0 || play < plays; ++play) {
    if (play > 0) animation.Restart();
    std::size_t frames = 0;  // of this play, composed so far
    bool drawn = false;      // whether the one composed last was drawn
    while (endedBy == 0 && animation.Next()) {
      ++frames;
      const Nanoseconds ends = due + static_cast<Nanoseconds>(animation.Delay()) * 1000000;
      // A frame whose time has passed is dropped, but for the one the
      // playing ends on: the one due when --duration is up.
      const bool last = stop != 0 && ends >= stop;
      drawn = last || Now() < ends;
      if (drawn && !draw()) return endedBy != 0 ? 128 + endedBy : 0;
      if (last) {
        SleepUntil(stop);
        return status();
      }
      SleepUntil(ends);
      due = ends;
    }
    if (endedBy != 0) break;
    if (!drawn && frames > 0 && play + 1 == plays) {
      // The last frame of the last play was late: it is composed again,
      // from the first, and drawn, for the playing to end on it.
      animation.Restart();
      for (std::size_t i = 0; i < frames; ++i) animation.Next();
      if (!draw()) return endedBy != 0 ? 128 + endedBy : 0;
    }
  }
  return status();
}

}  // namespace morvexa::cli
