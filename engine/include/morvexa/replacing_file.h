#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

// The one way the programs save a file.
//
// The bytes go to a temporary file in the target's folder, which is renamed
// over the target only once every byte is written and flushed to the disk:
// a save that fails or is interrupted part way leaves the old file whole.
// The temporary file is named ".morvexa-HASH-XXXXXX.tmp" (HASH from the
// target's name, so the name always fits); it is removed when the save
// fails, when the process ends on SIGINT, SIGTERM, SIGHUP or SIGPIPE (see
// temporary_files.h), and, should one outlive a killed process, by the next
// save of the same file.
//
// The rules for the target:
//  - a symbolic link is followed: the file it points to is written, and is
//    created when the link dangles;
//  - an existing file keeps its mode (set-user-ID and set-group-ID bits
//    included) and its owner and group; so do its other hard links;
//  - when the folder takes no new file (read-only or immutable folder), or
//    the owner, group, mode or hard links cannot be kept by a replacement,
//    the existing file is written in place instead, once every byte is
//    ready; space for them is reserved first, so that a full disk fails
//    before the file changes;
//  - anything that exists but is not a regular file (a folder, FIFO,
//    device or socket) is refused, as is a file that may not be written: a
//    replacement does not get round a protection that writing the file
//    directly would meet.
//
// Failures: "Cannot create file %s" (the path as given, see ShownPath) when
// the target is refused or cannot be created; "Stream write error" when the
// bytes cannot all be written or flushed.
namespace morvexa {

class ReplacingFile {
 public:
  explicit ReplacingFile(const std::filesystem::path& target);
  ~ReplacingFile();  // an unfinished save leaves the old file as it was
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  void Write(std::string_view bytes);
  // Flushes every written byte to the disk. After it, only Commit is left,
  // so that several files can be made ready before any replaces its target.
  void Finish();
  // Puts the bytes in place of the target (calls Finish if need be).
  void Commit();

 private:
  void OpenTemporary();
  void WriteInPlace();
  [[noreturn]] void CannotCreate() const;

  std::string shown_;
  std::filesystem::path target_;
  bool exists_ = false;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  std::string tempPath_;
  int fd_ = -1;
  int slot_ = -1;
  bool inPlace_ = false;
  bool finished_ = false;
  std::string pending_;  // in place: the bytes, written at Commit
};

// Whether saving to a and to b would write the same file (links followed).
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Writes bytes as the whole content of path, with ReplacingFile's rules.
void WriteFileReplacing(const std::filesystem::path& path, std::string_view bytes);

}  // namespace morvexa
