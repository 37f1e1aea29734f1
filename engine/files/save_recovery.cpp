#include "morvexa/save_recovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <mutex>
#include <optional>

#include "files/save_backup.h"
#include "morvexa/shown_path.h"

namespace morvexa {

namespace {

namespace fs = std::filesystem;
using save_backup::Phase;

// A half-made copy untouched for this long, and not locked, was left by a
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

bool Lock(int fd, bool wait) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) == 0;
}

// Settles the copy named name in folder, when no save owns it and (target
// given) it is of that file.
std::optional<InterruptedSave> Settle(int folder, const char* name, const struct stat* target) {
  const Fd copy(openat(folder, name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (copy.fd < 0 || fstat(copy.fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) return {};
  if (!Lock(copy.fd, false)) return {};  // a save in progress owns it
  const std::optional<save_backup::Header> header = save_backup::ReadHeader(copy.fd);
  if (target && (!header || header->device != target->st_dev || header->inode != target->st_ino)) return {};
  InterruptedSave settled{header ? ShownPath(header->target) : std::string(), InterruptedSave::Outcome::Obsolete};
  if (header) {
    const Fd file(open(header->target.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat now {};
    if (file.fd >= 0 && fstat(file.fd, &now) == 0 && S_ISREG(now.st_mode) && now.st_dev == header->device &&
        now.st_ino == header->inode && Lock(file.fd, true)) {
      if (header->phase == Phase::Rewritten) {
        settled.outcome = InterruptedSave::Outcome::Completed;
      } else if (save_backup::SameBytes(file.fd, copy.fd, header->bytesAt, header->oldSize)) {
        settled.outcome = InterruptedSave::Outcome::NotBegun;
      } else if (header->phase == Phase::Rewriting) {
        std::vector<char> buffer(1 << 20);
        if (!save_backup::CopyBack(copy.fd, header->bytesAt, header->oldSize, file.fd, buffer.data(), buffer.size())) {
          return {};  // kept, to be tried again
        }
        settled.outcome = InterruptedSave::Outcome::Undone;
      } else {
        // Changed by someone else since the copy was made, before the save
        // began to write: theirs.
        settled.outcome = InterruptedSave::Outcome::Obsolete;
      }
    }
  }
  unlinkat(folder, name, 0);
  fsync(folder);
  if (!header) return {};  // a copy never finished: nothing to tell
  return settled;
}

std::vector<InterruptedSave> Recover(const struct stat* target) {
  std::vector<InterruptedSave> settled;
  const fs::path folder = save_backup::Folder(false);
  if (folder.empty()) return settled;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return settled;
  const int folderFd = dirfd(dir);
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (!name.ends_with(".old")) continue;
    if (name.starts_with("save-")) {
      if (auto save = Settle(folderFd, entry->d_name, target)) settled.push_back(std::move(*save));
    } else if (name.starts_with("partial-")) {
      struct stat info {};
      const Fd copy(openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
      if (copy.fd >= 0 && fstat(copy.fd, &info) == 0 && info.st_uid == geteuid() &&
          std::time(nullptr) - info.st_mtime >= kStaleSeconds && Lock(copy.fd, false)) {
        unlinkat(folderFd, entry->d_name, 0);
      }
    }
  }
  closedir(dir);
  return settled;
}

std::mutex tellMutex;
std::function<void(const InterruptedSave&)>& Teller() {
  static std::function<void(const InterruptedSave&)> tell;
  return tell;
}

}  // namespace

std::string Describe(const InterruptedSave& save) {
  switch (save.outcome) {
    case InterruptedSave::Outcome::NotBegun:
      return "a save of " + save.target + " was interrupted before it changed the file; the file is as it was";
    case InterruptedSave::Outcome::Completed:
      return "a save of " + save.target + " was interrupted after it had written the file whole; the file keeps it";
    case InterruptedSave::Outcome::Undone:
      return "a save of " + save.target + " was interrupted while it wrote the file; its earlier bytes are back";
    case InterruptedSave::Outcome::Obsolete:
      return "a save of " + save.target + " was interrupted; the file has changed since, and is left as it is";
  }
  return {};
}

std::vector<InterruptedSave> RecoverInterruptedSaves() { return Recover(nullptr); }

std::vector<InterruptedSave> RecoverInterruptedSavesOf(const fs::path& target) {
  struct stat info {};
  if (stat(target.c_str(), &info) != 0) return {};
  return Recover(&info);
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
