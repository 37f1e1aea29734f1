#include "morvexa/save_recovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <random>

#include "files/file_io.h"
#include "files/save_record.h"
#include "files/state_folder.h"
#include "morvexa/shown_path.h"

namespace morvexa {

namespace {

namespace fs = std::filesystem;
using save_record::Header;
using save_record::kBlockBytes;
using Outcome = InterruptedSave::Outcome;

// The records a start settles at most: the rest wait for later starts, or
// for the next save of their file.
constexpr std::size_t kRecordsAStart = 4;
// A half-made record untouched for this long, and not locked, was left by a
// process that was killed while making it.
constexpr std::time_t kStaleSeconds = 10;

struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

// Takes the lock on the whole file without waiting; false when another
// holds it.
bool Lock(int fd) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// What a file holds, measured against the record of a save of it.
enum class State {
  Old,    // its old bytes
  New,    // the new bytes of the save, whole
  Torn,   // some blocks old and some new: the save was cut short
  Other,  // anything else: not what the save left
};

// The file open on target against the record open on record. The rewrite
// writes the new bytes from the start, extending the file as it goes past
// its old end, and then cuts the file to the new size, so a file it left
// holds between the smaller of the two sizes and the larger, and each of
// its blocks is the old bytes or the new ones there; the block where the
// new bytes end may also hold old bytes after them, until the cut.
State Judge(int target, int record, const Header& header) {
  struct stat info {};
  if (fstat(target, &info) != 0) return State::Other;
  const auto size = static_cast<std::uint64_t>(info.st_size);
  if (size != header.newSize && (size < header.oldSize || size > std::max(header.oldSize, header.newSize))) {
    return State::Other;
  }
  bool allOld = size == header.oldSize, allNew = size == header.newSize;
  std::vector<char> bytes(kBlockBytes), old(kBlockBytes);
  for (std::uint64_t at = 0; at < size; at += kBlockBytes) {
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockBytes, size - at));
    if (file_io::ReadAll(target, bytes.data(), length, static_cast<off_t>(at)) != static_cast<ssize_t>(length)) {
      return State::Other;
    }
    const save_record::Hash* newHash = at < header.newSize ? &header.newHashes[at / kBlockBytes] : nullptr;
    const std::uint64_t newEnd = std::min<std::uint64_t>(at + kBlockBytes, header.newSize);
    // Old bytes from within this block, from first on: whether the file
    // holds them there.
    auto holdsOld = [&](std::size_t first) {
      if (at + length > header.oldSize) return false;
      const std::size_t count = length - first;
      return file_io::ReadAll(record, old.data(), count, static_cast<off_t>(header.oldAt + at + first)) ==
                 static_cast<ssize_t>(count) &&
             std::memcmp(bytes.data() + first, old.data(), count) == 0;
    };
    const bool isNew = newHash && at + length == newEnd && save_record::HashOf(bytes.data(), length) == *newHash;
    const bool isOld = (!isNew || allOld) && holdsOld(0);
    if (!isNew && !isOld) {
      // The block where the new bytes end, the old ones after them not yet
      // cut off.
      const bool endOfNew = newHash && newEnd < at + length &&
                            save_record::HashOf(bytes.data(), static_cast<std::size_t>(newEnd - at)) == *newHash &&
                            holdsOld(static_cast<std::size_t>(newEnd - at));
      if (!endOfNew) return State::Other;
    }
    allOld = allOld && isOld;
    allNew = allNew && isNew;
  }
  if (allNew) return State::New;
  return allOld ? State::Old : State::Torn;
}

// A name in folder for the old bytes of target, from the time of its save:
// "art.2026-12-08T07-34-06.txt" for "art.txt"; made (empty) and open on fd.
std::string MakeKeptFile(const fs::path& folder, const std::string& target, std::time_t time, int& fd) {
  const fs::path name = fs::path(target).filename();
  std::string stem = name.stem().string(), extension = name.extension().string();
  if (stem.empty()) stem = "interrupted-save";
  stem.resize(std::min<std::size_t>(stem.size(), 180));
  if (extension.size() > 20) extension.clear();
  char stamp[32] = "";
  struct tm local {};
  if (localtime_r(&time, &local)) std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H-%M-%S", &local);
  const std::string dated = stem + "." + stamp;
  for (int n = 1; n < 1000; ++n) {
    std::string kept = (folder / dated).string();
    if (n > 1) kept.append("-").append(std::to_string(n));
    kept.append(extension);
    fd = open(kept.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) return kept;
    if (errno != EEXIST) break;
  }
  return {};
}

// Keeps the old bytes of the record open on record as a file of their own
// in folder, then removes the record (named name); the file's name, or
// empty when it could not be made, and the record stays.
std::string Keep(int folderFd, const fs::path& folder, const char* name, int record, const Header& header) {
  int fd = -1;
  const std::string kept = MakeKeptFile(folder, header.target, header.time, fd);
  if (kept.empty()) return {};
  const Fd keptFd(fd);
  // The old bytes there are, should the record be cut short.
  struct stat info {};
  const std::uint64_t there =
      fstat(record, &info) == 0 && static_cast<std::uint64_t>(info.st_size) > header.oldAt
          ? std::min<std::uint64_t>(header.oldSize, static_cast<std::uint64_t>(info.st_size) - header.oldAt)
          : 0;
  Header shorter = header;
  shorter.oldSize = there;
  if (!save_record::CopyOldBytes(record, shorter, keptFd.fd)) {
    unlink(kept.c_str());
    return {};
  }
  // The kept file's name reaches the disk before the record goes.
  fsync(folderFd);
  unlinkat(folderFd, name, 0);
  return kept;
}

// Settles the record named name in folder, unless a save owns it or its
// file is locked.
std::optional<InterruptedSave> Settle(int folderFd, const fs::path& folder, const char* name) {
  const Fd record(openat(folderFd, name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (record.fd < 0 || fstat(record.fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) return {};
  if (!Lock(record.fd)) return {};  // a save in progress owns it, or another run settles it
  // A save that ended between the open and the lock removed it: it is no
  // record any more.
  if (fstat(record.fd, &info) != 0 || info.st_nlink == 0) return {};
  const save_record::ReadRecord read = save_record::Read(record.fd);
  const Header& header = read.header;
  InterruptedSave settled{header.target.empty() ? std::string() : ShownPath(header.target), Outcome::Kept, {}};
  auto keep = [&](Outcome outcome) -> std::optional<InterruptedSave> {
    Header whole = header;
    if (read.reading == save_record::Reading::NotARecord) {
      // Nothing in it can be read: kept whole, as it is.
      whole.oldAt = 0;
      whole.oldSize = static_cast<std::uint64_t>(info.st_size);
      whole.time = info.st_mtime;
    }
    const std::string kept = Keep(folderFd, folder, name, record.fd, whole);
    if (kept.empty()) return {};  // the record stays, to be tried again
    settled.outcome = outcome;
    settled.kept = ShownPath(kept);
    return settled;
  };
  if (read.reading != save_record::Reading::Whole) return keep(Outcome::Damaged);

  const Fd file(open(header.target.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat now {};
  if (file.fd < 0) {
    // Gone, or a link now: not the file the save wrote. One that is there
    // but cannot be opened now is tried again later.
    struct stat there {};
    if (lstat(header.target.c_str(), &there) == 0 && S_ISREG(there.st_mode) && there.st_dev == header.device &&
        there.st_ino == header.inode) {
      return {};
    }
    return keep(Outcome::Kept);
  }
  if (fstat(file.fd, &now) != 0 || !S_ISREG(now.st_mode) || now.st_dev != header.device || now.st_ino != header.inode) {
    return keep(Outcome::Kept);
  }
  // Held from the judgement to the end of the restore: no save of the file
  // can finish in between.
  if (!Lock(file.fd)) return {};
  switch (Judge(file.fd, record.fd, header)) {
    case State::Old: settled.outcome = Outcome::NotBegun; break;
    case State::New: settled.outcome = Outcome::Completed; break;
    case State::Other: return keep(Outcome::Kept);
    case State::Torn:
      if (!save_record::CopyOldBytes(record.fd, header, file.fd) || Judge(file.fd, record.fd, header) != State::Old) {
        return {};  // the record stays, to be tried again
      }
      settled.outcome = Outcome::Undone;
      break;
  }
  unlinkat(folderFd, name, 0);
  return settled;
}

// Removes a half-made record that its process left behind. It is opened
// for writing: a write lock is only granted on a file open for writing.
void RemoveIfStale(int folderFd, const char* name) {
  const Fd record(openat(folderFd, name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (record.fd >= 0 && fstat(record.fd, &info) == 0 && info.st_uid == geteuid() &&
      std::time(nullptr) - info.st_mtime >= kStaleSeconds && Lock(record.fd)) {
    unlinkat(folderFd, name, 0);
  }
}

// Settles the records in the state folders whose names start with prefix
// ("save-" for all), at most most of them, chosen at random so that none
// waits for ever behind others that cannot be settled.
std::vector<InterruptedSave> Recover(const std::string& prefix, std::size_t most) {
  std::vector<InterruptedSave> settled;
  for (const fs::path& folder : StateFoldersInUse()) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) continue;
    const int folderFd = dirfd(dir.get());
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir.get())) {
      const std::string_view name = entry->d_name;
      if (!name.ends_with(".old")) continue;
      if (name.starts_with(prefix)) {
        names.emplace_back(name);
      } else if (name.starts_with("partial-")) {
        RemoveIfStale(folderFd, entry->d_name);
      }
    }
    if (names.size() > most) {
      std::shuffle(names.begin(), names.end(), std::minstd_rand(std::random_device{}()));
      names.resize(most);
    }
    for (const std::string& name : names) {
      if (auto save = Settle(folderFd, folder, name.c_str())) settled.push_back(std::move(*save));
    }
  }
  return settled;
}

std::mutex tellMutex;
std::function<void(const InterruptedSave&)>& Teller() {
  static std::function<void(const InterruptedSave&)> tell;
  return tell;
}

}  // namespace

std::string Describe(const InterruptedSave& save) {
  const std::string of = save.target.empty() ? "a save" : "a save of " + save.target;
  switch (save.outcome) {
    case Outcome::NotBegun: return of + " was interrupted before it changed the file; the file is as it was";
    case Outcome::Completed: return of + " was interrupted after it had written the file whole; the file keeps it";
    case Outcome::Undone: return of + " was interrupted while it wrote the file; its earlier bytes are back";
    case Outcome::Kept:
      return of + " was interrupted, and the file has changed since; it is left as it is, and its bytes from " +
             "before that save are kept in " + save.kept;
    case Outcome::Damaged:
      return of + " was interrupted, and the copy of the file's earlier bytes is damaged; the file is left as it " +
             "is, and the copy is kept in " + save.kept;
  }
  return {};
}

std::vector<InterruptedSave> RecoverInterruptedSaves() { return Recover("save-", kRecordsAStart); }

std::vector<InterruptedSave> RecoverInterruptedSavesOf(const fs::path& target) {
  struct stat info {};
  if (stat(target.c_str(), &info) != 0) return {};
  return Recover(save_record::NamePrefix(info.st_dev, info.st_ino), ~std::size_t{0});
}

void OnInterruptedSaveSettled(std::function<void(const InterruptedSave&)> tell) {
  const std::lock_guard lock(tellMutex);
  Teller() = std::move(tell);
}

void TellOfInterruptedSave(const InterruptedSave& save) {
  const std::lock_guard lock(tellMutex);
  if (Teller()) Teller()(save);
}

}  // namespace morvexa
