#include "replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "failure.h"

namespace morvexa::cli {

namespace {

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

ReplacingFile::ReplacingFile(const std::filesystem::path& target) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(target, ec);
  const std::string shown = ec ? target.string() : absolute.string();
  // Writing through a link writes the file it points to.
  target_ = std::filesystem::weakly_canonical(absolute, ec);
  if (ec) throw Failure(FailureKind::CannotCreateFile, shown);

  mode_t mode = NewFileMode();
  struct stat existing {};
  const bool exists = stat(target_.c_str(), &existing) == 0;
  if (exists) {
    if (!S_ISREG(existing.st_mode) || access(target_.c_str(), W_OK) != 0) {
      throw Failure(FailureKind::CannotCreateFile, shown);
    }
    mode = existing.st_mode & 07777;
  }

  std::string tempName = ".";
  tempName += target_.filename().string();
  tempName += ".XXXXXX";
  tempPath_ = (target_.parent_path() / tempName).string();
  fd_ = mkstemp(tempPath_.data());
  if (fd_ < 0) throw Failure(FailureKind::CannotCreateFile, shown);
  fchmod(fd_, mode);
  if (exists && fchown(fd_, existing.st_uid, existing.st_gid) != 0) {
    // Only the owner's rights matter to whoever reads the file next; keep going.
  }
}

ReplacingFile::~ReplacingFile() {
  if (fd_ >= 0) {
    close(fd_);
    unlink(tempPath_.c_str());
  }
}

void ReplacingFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) throw Failure(FailureKind::StreamWriteError);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void ReplacingFile::Commit() {
  if (fdatasync(fd_) != 0 || close(fd_) != 0) {
    fd_ = -1;
    unlink(tempPath_.c_str());
    throw Failure(FailureKind::StreamWriteError);
  }
  fd_ = -1;
  if (rename(tempPath_.c_str(), target_.c_str()) != 0) {
    unlink(tempPath_.c_str());
    throw Failure(FailureKind::CannotCreateFile, target_.string());
  }
}

}  // namespace morvexa::cli
