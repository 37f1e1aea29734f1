#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

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
//  - when the target cannot be replaced by another file (it has other hard
//    links; its owner, group or mode could not be kept; its folder takes no
//    new file, or lets none be removed or renamed, as an append-only or
//    immutable one; it is mounted where it is), it is rewritten in place
//    instead, with no temporary file beside it (see files/in_place_save.h):
//    saves of it follow one another, its old bytes are kept aside until the
//    new ones are on the disk, and put back if the save fails or is ended;
//  - anything that exists but is not a regular file (a folder, FIFO,
//    device or socket), any file of a file system the kernel makes up
//    (/proc, /sys, ...), a file that may not be written, and a new file in a
//    folder that takes none, are refused: a replacement does not get round
//    a protection that writing the file directly would meet.
//
// Failures: "Cannot create file %s" (the path as given, see ShownPath) when
// the target is refused or cannot be created, and when a file is to be
// rewritten in place and the state folder its old bytes would be kept in
// cannot be used (its reason, naming the folder, in the failure's cause);
// "Cannot create file %s: another program holds a lock on it" when a file
// to be rewritten in place stays locked by another program (with fcntl or
// flock) for a few seconds; "Cannot create file %s: the state folder %s is
// not the user's own" when that folder, or one it is in, belongs to someone
// else; "Stream write error" when the bytes cannot all be written or
// flushed, or find no room.
namespace morvexa {

class InPlaceSave;

class ReplacingFile {
 public:
  explicit ReplacingFile(const std::filesystem::path& target);
  ~ReplacingFile();  // an unfinished save leaves the old file as it was
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  void Write(std::string_view bytes);
  // Makes every written byte ready to go in place: flushed to the disk, or,
  // for a file rewritten in place, the file locked, its old bytes kept aside
  // and room for the new ones reserved. After it, only Commit is left, so
  // that several files can be made ready before any replaces its target.
  void Finish();
  // Puts the bytes in place of the target (calls Finish if need be).
  void Commit();

  // Which file it writes, for making several ready in one order (by device
  // and inode) so that two commands saving the same files in place never
  // wait for each other.
  std::pair<dev_t, ino_t> Identity() const { return {device_, inode_}; }

 private:
  void OpenTemporary();
  [[noreturn]] void CannotCreate() const;

  std::string shown_;
  std::filesystem::path target_;
  bool exists_ = false;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  std::string tempPath_;
  int fd_ = -1;
  int slot_ = -1;
  bool finished_ = false;
  std::unique_ptr<InPlaceSave> inPlace_;
};

// Where a save tells, once, that it waits for another program to let go of
// its file's lock (the file as ShownPath shows it): the command line says
// so on a terminal.
void OnWaitingForLock(std::function<void(const std::string& shown)> tell);

// Where a save in place tells that, with no home folder of the user's own,
// the records of saves in place are kept in folder (as ShownPath shows it),
// in the runtime or the temporary folder, which a restart may empty: the
// command line warns of it. Told once for a folder, however many files are
// saved there in a row.
void OnStateFolderWithoutHome(std::function<void(const std::string& folder)> tell);

// Whether saving to a and to b would write the same file (links followed).
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Writes bytes as the whole content of path, with ReplacingFile's rules.
void WriteFileReplacing(const std::filesystem::path& path, std::string_view bytes);

}  // namespace morvexa
