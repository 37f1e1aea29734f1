#include "files/in_place_save.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "files/file_io.h"
#include "files/file_system.h"
#include "files/state_folder.h"
#include "morvexa/failure.h"
#include "morvexa/replacing_file.h"
#include "morvexa/shown_path.h"
#include "morvexa/temporary_files.h"

namespace morvexa {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kChunk = 1 << 20;
// How long a save waits for another program to let go of its file's lock,
// and how often it looks.
constexpr auto kLockPatience = std::chrono::seconds(5);
constexpr auto kLockLook = std::chrono::milliseconds(50);

std::mutex waitMutex;
std::function<void(const std::string&)>& WaitTeller() {
  static std::function<void(const std::string&)> tell;
  return tell;
}

void TellOfWait(const std::string& shown) {
  const std::lock_guard lock(waitMutex);
  if (WaitTeller()) WaitTeller()(shown);
}

std::mutex withoutHomeMutex;
std::function<void(const std::string&)>& WithoutHomeTeller() {
  static std::function<void(const std::string&)> tell;
  return tell;
}

// Tells once for each folder in a row, so that a command saving two files
// in place says it once.
void TellOfFolderWithoutHome(const std::string& shown) {
  const std::lock_guard lock(withoutHomeMutex);
  static std::string told;
  if (!WithoutHomeTeller() || shown == told) return;
  told = shown;
  WithoutHomeTeller()(shown);
}

[[noreturn]] void WriteError() { throw Failure(FailureKind::StreamWriteError); }

// Whether a file of size bytes may be written: within the file-size limit.
bool WithinSizeLimit(std::uint64_t size) {
  rlimit limit{};
  return getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || size <= limit.rlim_cur;
}

}  // namespace

void OnWaitingForLock(std::function<void(const std::string&)> tell) {
  const std::lock_guard lock(waitMutex);
  WaitTeller() = std::move(tell);
}

void OnStateFolderWithoutHome(std::function<void(const std::string&)> tell) {
  const std::lock_guard lock(withoutHomeMutex);
  WithoutHomeTeller() = std::move(tell);
}

InPlaceSave::InPlaceSave(fs::path target, std::string shown, bool exists, dev_t device, ino_t inode)
    : target_(std::move(target)), shown_(std::move(shown)), exists_(exists), device_(device), inode_(inode) {
  const StateFolderChoice state = ChooseStateFolder(true);
  if (state.folder.empty()) {
    if (state.notOwn) throw Failure(FailureKind::StateFolderNotOwn, {shown_, ShownPath(state.refused)}, {state.reason});
    throw Failure(FailureKind::CannotCreateFile, shown_,
                  {"the state folder " + ShownPath(state.refused) + " " + state.reason});
  }
  if (state.withoutHome) TellOfFolderWithoutHome(ShownPath(state.folder));
  const fs::path& folder = state.folder;
  spool_ = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (spool_ < 0) {
    std::string name = (folder / "spool-XXXXXX").string();
    spool_ = mkostemp(name.data(), O_CLOEXEC);
    if (spool_ >= 0) unlink(name.c_str());
  }
  if (spool_ < 0) {
    throw Failure(FailureKind::CannotCreateFile, shown_,
                  {"no file can be made in the state folder " + ShownPath(folder) + ": " + SystemReason(errno)});
  }
}

InPlaceSave::~InPlaceSave() {
  temporary_files::Unregister(recordSlot_);
  record_.reset();
  if (fd_ >= 0) close(fd_);  // lets the lock go
  close(spool_);
}

void InPlaceSave::CannotCreate() const { throw Failure(FailureKind::CannotCreateFile, shown_); }

void InPlaceSave::Write(std::string_view bytes) {
  if (!file_io::WriteAll(spool_, bytes)) WriteError();
  size_ += bytes.size();
}

void InPlaceSave::Finish() {
  if (!WithinSizeLimit(size_)) WriteError();
  if (!exists_) {
    // A new file is only made at Commit: room for it is looked for now.
    struct statvfs space {};
    if (statvfs(target_.parent_path().c_str(), &space) == 0 &&
        static_cast<std::uint64_t>(space.f_bavail) * space.f_frsize < size_) {
      WriteError();
    }
    return;
  }
  fd_ = open(target_.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) CannotCreate();
  Lock();
  struct stat info {};
  if (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_dev != device_ || info.st_ino != inode_ ||
      file_system::AppendOnlyOrImmutable(fd_)) {
    CannotCreate();
  }
  record_ = std::make_unique<save_record::Record>(fd_, info, target_, spool_, size_);
  recordSlot_ = temporary_files::Register(record_->Path());
  // Room for every new byte before the first one changes the file.
  if (size_ > static_cast<std::uint64_t>(info.st_size) &&
      fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size_)) != 0 && errno != EOPNOTSUPP) {
    WriteError();
  }
}

void InPlaceSave::Lock() const {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  const auto giveUp = std::chrono::steady_clock::now() + kLockPatience;
  for (bool told = false;; told = true) {
    // Other programs lock with flock(2) as often as with fcntl, and neither
    // kind sees the other: both are taken. Both on the same open file
    // description, so that where a flock is made one of fcntl's (NFS) the
    // two have one owner, which never conflicts with itself. The flock
    // first: a save that ends lets its fcntl lock go before its flock, so
    // the next save never finds one free and the other still held.
    const bool flocked = flock(fd_, LOCK_EX | LOCK_NB) == 0;
    // Otherwise, unless another holds it, the file system keeps no flock
    // locks: then no one holds one.
    if (flocked || (errno != EWOULDBLOCK && errno != EINTR)) {
      if (fcntl(fd_, F_OFD_SETLK, &lock) == 0) return;
      const int error = errno;
      // Not held while waiting, so that no one waits for this save.
      if (flocked) flock(fd_, LOCK_UN);
      if (error != EAGAIN && error != EACCES && error != EINTR) CannotCreate();
    }
    if (std::chrono::steady_clock::now() >= giveUp) throw Failure(FailureKind::FileLocked, shown_);
    if (!told) TellOfWait(shown_);
    std::this_thread::sleep_for(kLockLook);
  }
}

void InPlaceSave::Commit() {
  if (exists_) {
    Rewrite();
  } else {
    Create();
  }
}

void InPlaceSave::Rewrite() {
  const temporary_files::SignalsDeferred deferred;
  // Puts the old bytes back; if even that fails, the record stays for the
  // next run.
  auto undo = [this] {
    if (!record_->Restore(fd_)) record_->Keep();
  };
  auto endAsSignalled = [&] {
    undo();
    temporary_files::Unregister(recordSlot_);
    record_.reset();
    deferred.EndAsSignalled();
  };
  std::vector<char> buffer(kChunk);
  if (!file_io::CopyBytes(spool_, 0, fd_, 0, size_, buffer, [&](std::string_view) {
        if (deferred.Arrived()) endAsSignalled();
        return true;
      })) {
    undo();
    WriteError();
  }
  if (ftruncate(fd_, static_cast<off_t>(size_)) != 0 || fdatasync(fd_) != 0) {
    undo();
    WriteError();
  }
  if (deferred.Arrived()) endAsSignalled();
  temporary_files::Unregister(recordSlot_);
  recordSlot_ = -1;
  record_.reset();
  close(fd_);
  fd_ = -1;
}

void InPlaceSave::Create() {
  const mode_t mask = umask(0);
  umask(mask);
  const int fd = open(target_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666 & ~mask);
  if (fd < 0) CannotCreate();
  // The folder lets no file be removed: what was made is emptied on failure.
  auto fail = [fd] {
    if (ftruncate(fd, 0) == 0) fdatasync(fd);
    close(fd);
    WriteError();
  };
  if (size_ > 0 && fallocate(fd, 0, 0, static_cast<off_t>(size_)) != 0 && errno != EOPNOTSUPP) fail();
  std::vector<char> buffer(kChunk);
  if (!file_io::CopyBytes(spool_, 0, fd, 0, size_, buffer)) fail();
  if (ftruncate(fd, static_cast<off_t>(size_)) != 0 || fdatasync(fd) != 0) fail();
  close(fd);
  file_io::SyncFolder(target_.parent_path());
}

}  // namespace morvexa
