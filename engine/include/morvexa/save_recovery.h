#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace morvexa {

// A save that was cut short while it rewrote its file in place (see
// ReplacingFile), by SIGKILL or by the machine stopping, and what was made
// of it once found.
//
// The old bytes are put back only into a file that provably holds what that
// save left: the same file, each of its blocks either its old bytes or the
// new ones the save was writing. Anything else is someone's later work and
// is left as it is; the old bytes are then kept as a file of their own, in
// the state folder, named after the file and the time of the save.
struct InterruptedSave {
  enum class Outcome {
    NotBegun,   // the file had not been changed yet
    Completed,  // the file already held its new bytes, whole
    Undone,     // the file was part-written: its old bytes were put back
    Kept,       // the file changed since, is gone or was replaced: left alone, the old bytes kept
    Damaged,    // the copy of the old bytes fails its check: the file left alone, the copy kept
  };
  std::string target;  // as ShownPath shows it; empty when even that could not be read
  Outcome outcome;
  std::string kept;  // Kept and Damaged: where the old bytes are, as ShownPath shows it
};

// The command line's words for it, on one line.
std::string Describe(const InterruptedSave& save);

// Settles a few of the records that this user's interrupted in-place saves
// left behind, as InterruptedSave says, and tells what was made of them:
// what each program does when it starts. It never waits: a record whose
// save still runs, or whose file another program has locked, is left for a
// later start, and a start settles only a few records, however many there
// are.
std::vector<InterruptedSave> RecoverInterruptedSaves();
// The same for every record of one file (links followed), as every save
// does before it writes.
std::vector<InterruptedSave> RecoverInterruptedSavesOf(const std::filesystem::path& target);

// Where saves tell of the interrupted saves of their files that they
// settled: the programs say so to the user.
void OnInterruptedSaveSettled(std::function<void(const InterruptedSave&)> tell);
void TellOfInterruptedSave(const InterruptedSave& save);

}  // namespace morvexa
