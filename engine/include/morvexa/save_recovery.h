#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace morvexa {

// A save that was cut short while it rewrote its file in place (see
// ReplacingFile), by SIGKILL or by the machine stopping, and what was made
// of it once found: the copy of the file's old bytes that it kept is gone
// either way.
struct InterruptedSave {
  enum class Outcome {
    NotBegun,   // the file had not been changed yet
    Completed,  // the file already held its new bytes, whole
    Undone,     // the file was part-written: its old bytes were put back
    Obsolete,   // the file is gone or was replaced since: the copy was dropped
  };
  std::string target;  // as ShownPath shows it
  Outcome outcome;
};

// The command line's words for it, on one line.
std::string Describe(const InterruptedSave& save);

// Finds the copies that this user's interrupted in-place saves left behind,
// settles each as InterruptedSave says and tells what was made of them.
// Copies that belong to saves still running are left alone. Each program
// does this when it starts.
std::vector<InterruptedSave> RecoverInterruptedSaves();
// The same for the saves of one file only (links followed), as every save
// does before it writes.
std::vector<InterruptedSave> RecoverInterruptedSavesOf(const std::filesystem::path& target);

// Where saves tell of the interrupted saves of their files that they
// settled: the programs say so to the user.
void OnInterruptedSaveSettled(std::function<void(const InterruptedSave&)> tell);
void TellOfInterruptedSave(const InterruptedSave& save);

}  // namespace morvexa
