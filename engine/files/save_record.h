#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The record a save keeps while it rewrites a file in place: everything
// needed to recognise each state that the rewrite can leave the file in,
// and to put the old bytes back.
//
// It holds the file's identity (device, inode, path), a copy of its old
// bytes, and a hash of each block of the new bytes, in that order; and a
// checksum over all of it. A file whose every block holds either its old
// bytes or the new ones the save was writing is provably a state the save
// left; anything else is someone else's work (see save_recovery.cpp).
//
// Records live in the state folder (files/state_folder.h) as
// "save-DEVICE-INODE-XXXXXX.old", named once they are whole, so that the
// saves of one file are found without opening the others. A record that a
// live save owns is locked (an open file description lock) for as long as
// the save lives.
namespace morvexa::save_record {

// Bytes of new content a hash stands for: a page, the most a write cut
// short by a signal leaves half done.
inline constexpr std::uint32_t kBlockBytes = 4096;

// A 128-bit hash (XXH3).
struct Hash {
  std::uint64_t low = 0, high = 0;
  bool operator==(const Hash&) const = default;
};
Hash HashOf(const void* bytes, std::size_t size);

// What a record says.
struct Header {
  dev_t device = 0;
  ino_t inode = 0;
  std::uint64_t oldSize = 0;
  std::uint64_t newSize = 0;
  std::time_t time = 0;         // when the save began
  std::string target;           // the file's absolute path
  std::vector<Hash> newHashes;  // of each kBlockBytes of the new bytes, the last one shorter
  std::uint64_t oldAt = 0;      // where the old bytes start in the record
};

// The record of a save, made before the file is rewritten in place.
class Record {
 public:
  // Records the file open on target (whose path and status are given),
  // about to be rewritten with the newSize bytes of the file open on
  // newBytes: into a new record, flushed to the disk and locked. Fails with
  // "Stream write error" when it cannot be made (no room for it, among
  // others).
  Record(int target, const struct stat& info, const std::filesystem::path& path, int newBytes, std::uint64_t newSize);
  // Removes the record, unless Keep was called.
  ~Record();
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;

  // Puts the old bytes back into the file open on target, flushed to the
  // disk; false when that failed.
  bool Restore(int target) const;
  // Leaves the record behind when it goes, for the next run to settle: the
  // old bytes could not be put back now.
  void Keep() { kept_ = true; }

  const std::string& Path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
  Header header_;
  bool kept_ = false;
};

// The name a record of the file of device and inode starts with.
std::string NamePrefix(dev_t device, ino_t inode);

// The record open on fd, read whole and checked against its checksum.
enum class Reading { Whole, Damaged, NotARecord };
struct ReadRecord {
  Reading reading = Reading::NotARecord;
  Header header;  // as far as it could be read: Damaged keeps what the header says
};
ReadRecord Read(int fd);

// Copies the old bytes of the record open on fd (as header says) into the
// file open on target, cutting it to their size, flushed.
bool CopyOldBytes(int fd, const Header& header, int target);

}  // namespace morvexa::save_record
