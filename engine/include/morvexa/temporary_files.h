#pragma once

#include <signal.h>

#include <string_view>

// Temporary files that must not outlive the process: a save in progress
// registers its temporary file here, and a process that ends on SIGINT,
// SIGTERM, SIGHUP or SIGPIPE removes every registered file before it dies
// (once CleanUpOnSignals has run).
namespace morvexa::temporary_files {

// Registers path; returns its slot, or -1 when every slot is taken (the file
// is then only cleaned up by a later save, see ReplacingFile).
int Register(std::string_view path);
// Forgets the file in slot (from Register; -1 does nothing).
void Unregister(int slot);

// Holds back the signals that clean up, for as long as it lives: a file made
// and registered meanwhile is never left behind by them.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

// While one lives, those signals do not end the process at once, on
// whichever thread they arrive: they are noted, for the thread that made it
// to finish what it must not leave half done (put a file's old bytes back)
// and then end the process as the signal would have (EndAsSignalled).
class SignalsDeferred {
 public:
  SignalsDeferred();
  ~SignalsDeferred();
  SignalsDeferred(const SignalsDeferred&) = delete;
  SignalsDeferred& operator=(const SignalsDeferred&) = delete;

  // Whether one of the signals arrived meanwhile.
  bool Arrived() const;
  // Removes the registered files and ends the process by the signal that
  // arrived.
  [[noreturn]] void EndAsSignalled() const;
};

// Installs the signal handlers. A signal that the process ignores stays
// ignored; one with its default action still ends the process, after the
// registered files are removed.
void CleanUpOnSignals();

}  // namespace morvexa::temporary_files
