#include "files/in_place_save.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "files/file_system.h"
#include "morvexa/failure.h"
#include "morvexa/temporary_files.h"

namespace morvexa {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kChunk = 1 << 20;

[[noreturn]] void WriteError() { throw Failure(FailureKind::StreamWriteError); }

bool WriteAll(int fd, const char* bytes, std::size_t size, off_t at) {
  while (size > 0) {
    const ssize_t written = at < 0 ? write(fd, bytes, size) : pwrite(fd, bytes, size, at);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written, size -= static_cast<std::size_t>(written);
    if (at >= 0) at += written;
  }
  return true;
}

// Whether a file of size bytes may be written: within the file-size limit.
bool WithinSizeLimit(std::uint64_t size) {
  rlimit limit{};
  return getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || size <= limit.rlim_cur;
}

}  // namespace

InPlaceSave::InPlaceSave(fs::path target, std::string shown, bool exists, dev_t device, ino_t inode)
    : target_(std::move(target)), shown_(std::move(shown)), exists_(exists), device_(device), inode_(inode) {
  const fs::path folder = save_backup::Folder();
  if (folder.empty()) CannotCreate();
  spool_ = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (spool_ < 0) {
    std::string name = (folder / "spool-XXXXXX").string();
    spool_ = mkostemp(name.data(), O_CLOEXEC);
    if (spool_ >= 0) unlink(name.c_str());
  }
  if (spool_ < 0) CannotCreate();
}

InPlaceSave::~InPlaceSave() {
  temporary_files::Unregister(backupSlot_);
  backup_.reset();
  if (fd_ >= 0) close(fd_);  // lets the lock go
  close(spool_);
}

void InPlaceSave::CannotCreate() const { throw Failure(FailureKind::CannotCreateFile, shown_); }

void InPlaceSave::Write(std::string_view bytes) {
  if (!WriteAll(spool_, bytes.data(), bytes.size(), -1)) WriteError();
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
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  while (fcntl(fd_, F_OFD_SETLKW, &lock) != 0) {
    if (errno != EINTR) CannotCreate();
  }
  struct stat info {};
  if (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_dev != device_ || info.st_ino != inode_ ||
      file_system::AppendOnlyOrImmutable(fd_)) {
    CannotCreate();
  }
  backup_ = std::make_unique<save_backup::Backup>(fd_, info, target_, size_);
  backupSlot_ = temporary_files::Register(backup_->Path());
  // Room for every new byte before the first one changes the file.
  if (size_ > static_cast<std::uint64_t>(info.st_size) &&
      fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size_)) != 0 && errno != EOPNOTSUPP) {
    WriteError();
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
  // Puts the old bytes back; if even that fails, the copy stays for the
  // next run.
  auto undo = [this] {
    if (!backup_->Restore(fd_)) backup_->Keep();
  };
  backup_->SetPhase(save_backup::Phase::Rewriting);
  std::vector<char> chunk(kChunk);
  for (std::uint64_t done = 0; done < size_;) {
    if (deferred.Arrived()) {
      undo();
      temporary_files::Unregister(backupSlot_);
      backup_.reset();
      deferred.EndAsSignalled();
    }
    const ssize_t got = pread(spool_, chunk.data(), chunk.size(), static_cast<off_t>(done));
    if (got <= 0 || !WriteAll(fd_, chunk.data(), static_cast<std::size_t>(got), static_cast<off_t>(done))) {
      if (got < 0 && errno == EINTR) continue;
      undo();
      WriteError();
    }
    done += static_cast<std::uint64_t>(got);
  }
  if (ftruncate(fd_, static_cast<off_t>(size_)) != 0 || fdatasync(fd_) != 0) {
    undo();
    WriteError();
  }
  backup_->SetPhase(save_backup::Phase::Rewritten);
  if (deferred.Arrived()) {
    undo();
    temporary_files::Unregister(backupSlot_);
    backup_.reset();
    deferred.EndAsSignalled();
  }
  temporary_files::Unregister(backupSlot_);
  backupSlot_ = -1;
  backup_.reset();
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
  std::vector<char> chunk(kChunk);
  for (std::uint64_t done = 0; done < size_;) {
    const ssize_t got = pread(spool_, chunk.data(), chunk.size(), static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || !WriteAll(fd, chunk.data(), static_cast<std::size_t>(got), static_cast<off_t>(done))) fail();
    done += static_cast<std::uint64_t>(got);
  }
  if (ftruncate(fd, static_cast<off_t>(size_)) != 0 || fdatasync(fd) != 0) fail();
  close(fd);
  const int folder = open(target_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
}

}  // namespace morvexa
