#include "morvexa/replacing_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

#include "files/file_io.h"
#include "files/file_system.h"
#include "files/in_place_save.h"
#include "morvexa/failure.h"
#include "morvexa/save_recovery.h"
#include "morvexa/shown_path.h"
#include "morvexa/temporary_files.h"

namespace morvexa {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinks = 40;  // as the system's own limit on links followed
// A temporary file untouched for this long, and not locked by a save in
// progress, was left by a process that was killed.
constexpr std::time_t kStaleSeconds = 10;
constexpr std::string_view kTempStart = ".morvexa-";
constexpr std::string_view kTempEnd = ".tmp";

// The start of the temporary names for a target: kTempStart, 16 hex digits
// of a hash of the target's name, and "-"; then six random characters and
// kTempEnd. 36 bytes whatever the target's name.
std::string TempPrefix(const fs::path& target) {
  std::uint64_t hash = 14695981039346656037u;  // FNV-1a
  for (unsigned char c : target.filename().string()) hash = (hash ^ c) * 1099511628211u;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string prefix(kTempStart);
  for (int shift = 60; shift >= 0; shift -= 4) prefix += kHex[hash >> shift & 0xF];
  return prefix + "-";
}

// Removes the temporary files of earlier saves of the same target that
// their processes left behind.
void RemoveStaleTemporaries(const fs::path& folder, const std::string& prefix) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  const int dirFd = dirfd(dir);
  const std::size_t length = prefix.size() + 6 + kTempEnd.size();
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() != length || !name.starts_with(prefix) || !name.ends_with(kTempEnd)) continue;
    const int fd = openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
        std::time(nullptr) - info.st_mtime >= kStaleSeconds && flock(fd, LOCK_EX | LOCK_NB) == 0) {
      unlinkat(dirFd, entry->d_name, 0);
    }
    close(fd);
  }
  closedir(dir);
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// path with every link in its last part followed; false on a loop or a
// link that cannot be read.
bool FollowLinks(fs::path& path) {
  for (int followed = 0;; ++followed) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return errno == ENOENT;  // a new file
    if (!S_ISLNK(info.st_mode)) return true;
    if (followed == kMaxLinks) return false;
    std::error_code ec;
    const fs::path to = fs::read_symlink(path, ec);
    if (ec) return false;
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
}

}  // namespace

ReplacingFile::ReplacingFile(const fs::path& target) : shown_(ShownPath(target)) {
  std::error_code ec;
  target_ = fs::absolute(target, ec);
  if (ec || target.empty() || !FollowLinks(target_)) CannotCreate();
  if (file_system::OnPseudoFileSystem(target_)) CannotCreate();

  struct stat existing {};
  if (stat(target_.c_str(), &existing) == 0) {
    if (!S_ISREG(existing.st_mode) || faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) CannotCreate();
    exists_ = true;
    device_ = existing.st_dev;
    inode_ = existing.st_ino;
    // An earlier save of it that was cut short is settled first.
    for (const InterruptedSave& save : RecoverInterruptedSavesOf(target_)) TellOfInterruptedSave(save);
  } else if (errno != ENOENT) {
    CannotCreate();
  }

  // A folder that lets nothing be removed or renamed gets no temporary file,
  // which could never be removed; nothing can be renamed over a file
  // mounted where it is; and other hard links would be cut off from the new
  // content.
  const int folder = open(target_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) CannotCreate();
  const bool keepsEntries = file_system::AppendOnlyOrImmutable(folder);
  close(folder);
  if (keepsEntries || (exists_ && (existing.st_nlink > 1 || file_system::IsMountPoint(target_)))) {
    inPlace_ = std::make_unique<InPlaceSave>(target_, shown_, exists_, device_, inode_);
    return;
  }
  RemoveStaleTemporaries(target_.parent_path(), TempPrefix(target_));
  OpenTemporary();
  if (fd_ < 0) {
    if (!exists_) CannotCreate();
    // The folder takes no new file.
    inPlace_ = std::make_unique<InPlaceSave>(target_, shown_, exists_, device_, inode_);
    return;
  }
  // The owner first: changing it clears the set-user-ID and set-group-ID
  // bits that the mode then puts back.
  struct stat made {};
  fstat(fd_, &made);
  const bool ownerKept = !exists_ || (made.st_uid == existing.st_uid && made.st_gid == existing.st_gid) ||
                         fchown(fd_, existing.st_uid, existing.st_gid) == 0;
  const mode_t mode = exists_ ? existing.st_mode & 07777 : NewFileMode();
  if (ownerKept && fchmod(fd_, mode) == 0 && fstat(fd_, &made) == 0 && (made.st_mode & 07777) == mode) return;
  if (!exists_) CannotCreate();
  // The replacement would not be the same file to its users: write in place.
  close(fd_);
  fd_ = -1;
  unlink(tempPath_.c_str());
  temporary_files::Unregister(slot_);
  slot_ = -1;
  inPlace_ = std::make_unique<InPlaceSave>(target_, shown_, exists_, device_, inode_);
}

void ReplacingFile::OpenTemporary() {
  std::string path = (target_.parent_path() / (TempPrefix(target_) + "XXXXXX")).string();
  path += kTempEnd;
  {
    // A signal between the file's making and its registration would leave
    // it behind: it waits until the file is registered.
    const temporary_files::SignalsHeld held;
    fd_ = mkostemps(path.data(), static_cast<int>(kTempEnd.size()), O_CLOEXEC);
    if (fd_ < 0) return;
    slot_ = temporary_files::Register(path);
  }
  tempPath_ = std::move(path);
  flock(fd_, LOCK_EX);  // tells later saves that this one is alive
}

ReplacingFile::~ReplacingFile() {
  if (fd_ < 0) return;
  close(fd_);
  unlink(tempPath_.c_str());
  temporary_files::Unregister(slot_);
}

void ReplacingFile::CannotCreate() const { throw Failure(FailureKind::CannotCreateFile, shown_); }

void ReplacingFile::Write(std::string_view bytes) {
  if (inPlace_) {
    inPlace_->Write(bytes);
  } else if (!file_io::WriteAll(fd_, bytes)) {
    throw Failure(FailureKind::StreamWriteError);
  }
}

void ReplacingFile::Finish() {
  if (finished_) return;
  if (inPlace_) {
    inPlace_->Finish();
  } else if (fdatasync(fd_) != 0) {
    throw Failure(FailureKind::StreamWriteError);
  }
  finished_ = true;
}

void ReplacingFile::Commit() {
  Finish();
  if (inPlace_) {
    inPlace_->Commit();
    return;
  }
  if (rename(tempPath_.c_str(), target_.c_str()) != 0) CannotCreate();
  temporary_files::Unregister(slot_);
  close(fd_);
  fd_ = -1;
  // The rename itself reaches the disk.
  file_io::SyncFolder(target_.parent_path());
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  fs::path first = fs::absolute(a, ec), second = fs::absolute(b, ec);
  if (!FollowLinks(first) || !FollowLinks(second)) return false;
  struct stat one {
  }, two{};
  if (stat(first.c_str(), &one) == 0 && stat(second.c_str(), &two) == 0) {
    return one.st_dev == two.st_dev && one.st_ino == two.st_ino;
  }
  return fs::weakly_canonical(first, ec) == fs::weakly_canonical(second, ec);
}

void WriteFileReplacing(const fs::path& path, std::string_view bytes) {
  ReplacingFile file(path);
  file.Write(bytes);
  file.Commit();
}

}  // namespace morvexa
