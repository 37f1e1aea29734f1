#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "files/save_record.h"

namespace morvexa {

// A file saved by rewriting it where it is, for ReplacingFile, when it
// cannot be replaced by another: it has other hard links, its folder takes
// no new file or lets none be removed or renamed, or it is mounted there.
// Or a new file made where it is, in a folder that lets nothing be removed.
//
//  - The new bytes wait in an unnamed file in the state folder, which
//    vanishes with the process however it ends. With no state folder that
//    can be used (state_folder.h), the save fails naming it and why.
//  - Finish locks the file (an open file description lock and a flock
//    lock, so that saves of the same file follow one another; a lock of
//    either kind that another program holds is waited for a few seconds,
//    and then the save fails, "Cannot create file %s: another program
//    holds a lock on it", changing nothing), records its old bytes and what
//    the new ones will be (save_record.h), and reserves room for the new
//    ones: whatever can fail for want of room fails there, before any file
//    of the command is put in place.
//  - Commit rewrites the file. If that fails, or SIGINT, SIGTERM, SIGHUP or
//    SIGPIPE arrive meanwhile, the old bytes are put back before the
//    failure is reported or the process ends. After SIGKILL or a power cut,
//    the copy is settled by the next run (morvexa/save_recovery.h).
class InPlaceSave {
 public:
  // An existing file (with its device and inode), or a new one.
  InPlaceSave(std::filesystem::path target, std::string shown, bool exists, dev_t device, ino_t inode);
  ~InPlaceSave();
  InPlaceSave(const InPlaceSave&) = delete;
  InPlaceSave& operator=(const InPlaceSave&) = delete;

  void Write(std::string_view bytes);
  void Finish();
  void Commit();

 private:
  [[noreturn]] void CannotCreate() const;
  void Lock() const;
  void Rewrite();
  void Create();

  std::filesystem::path target_;
  std::string shown_;
  bool exists_;
  dev_t device_;
  ino_t inode_;
  int spool_ = -1;
  std::uint64_t size_ = 0;
  int fd_ = -1;  // the target, from Finish on
  std::unique_ptr<save_record::Record> record_;
  int recordSlot_ = -1;
};

}  // namespace morvexa
