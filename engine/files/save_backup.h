#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// The copy of a file's old bytes that a save keeps while it rewrites the
// file in place, so that the old bytes can always be put back: by the save
// itself when it fails, by the signal handlers when the process is ended,
// and by the next run of a program (see morvexa/save_recovery.h) when it was
// killed or the machine stopped.
//
// Copies live in the user's own folder for them, $XDG_STATE_HOME/morvexa
// (by default ~/.local/state/morvexa), or, where there is none, in the
// temporary folder. Each is a file "save-XXXXXX.old": a header saying whose
// bytes they are and how far the rewrite got, then the bytes. A copy that a
// live save owns is locked (an open file description lock) for as long as
// the save lives.
namespace morvexa::save_backup {

// How far the rewrite of the file has got.
enum class Phase : std::uint32_t {
  Copied = 1,     // the copy is whole; the file is as it was
  Rewriting = 2,  // the file is being rewritten: it may hold anything
  Rewritten = 3,  // the file holds its new bytes, flushed to the disk
};

// What a copy's header says.
struct Header {
  Phase phase = Phase::Copied;
  dev_t device = 0;
  ino_t inode = 0;
  std::uint64_t oldSize = 0;
  std::uint64_t newSize = 0;
  std::uint64_t bytesAt = 0;  // where the old bytes start in the copy
  std::string target;         // the file's absolute path
};

// The folder copies are kept in, made when it is missing and make is true;
// empty when there is none.
std::filesystem::path Folder(bool make = true);

// A copy of a file's bytes, made before the file is rewritten in place.
class Backup {
 public:
  // Copies the file open on target (whose path and status are given), to
  // be rewritten with newSize bytes, into a new copy, flushed to the disk
  // and locked. Fails with "Stream write error" when it cannot be made
  // (no room for it, among others).
  Backup(int target, const struct stat& info, const std::filesystem::path& path, std::uint64_t newSize);
  // Removes the copy.
  ~Backup();
  Backup(const Backup&) = delete;
  Backup& operator=(const Backup&) = delete;

  // Notes, flushed to the disk, how far the rewrite has got.
  void SetPhase(Phase phase);
  // Puts the old bytes back into the file open on target, flushed to the
  // disk; false when that failed too.
  bool Restore(int target) const;
  // Leaves the copy behind when it goes, for the next run to settle: the
  // old bytes could not be put back now.
  void Keep() { kept_ = true; }

  int Fd() const { return fd_; }
  const std::string& Path() const { return path_; }
  const Header& Describes() const { return header_; }

 private:
  int fd_ = -1;
  std::string path_;
  Header header_;
  bool kept_ = false;
};

// The header of the copy open on fd; nothing when it is not one (or not
// whole).
std::optional<Header> ReadHeader(int fd);
// Rewrites the phase of the copy open on fd, flushed.
bool WritePhase(int fd, Phase phase);

// Copies size bytes from offset from of the file open on in to the start of
// the file open on out, cuts out to that size and flushes it, through
// buffer: what restores a file from its copy. Safe in a signal handler.
bool CopyBack(int in, std::uint64_t from, std::uint64_t size, int out, char* buffer, std::size_t bufferSize);

// Whether the whole of the file open on a equals size bytes of the file
// open on b from offset from.
bool SameBytes(int a, int b, std::uint64_t from, std::uint64_t size);

}  // namespace morvexa::save_backup
