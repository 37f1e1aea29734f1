#include "files/save_backup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

#include "morvexa/failure.h"

namespace morvexa::save_backup {

namespace {

namespace fs = std::filesystem;

constexpr char kMagic[8] = {'M', 'V', 'X', 'S', 'A', 'V', 'E', '1'};
constexpr std::size_t kFixedBytes = 64;  // then the target's path, then the old bytes
constexpr off_t kPhaseAt = 8;
constexpr std::size_t kBufferBytes = 1 << 20;

void Put32(unsigned char* at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) at[k] = static_cast<unsigned char>(v >> (8 * k));
}
void Put64(unsigned char* at, std::uint64_t v) {
  for (int k = 0; k < 8; ++k) at[k] = static_cast<unsigned char>(v >> (8 * k));
}
std::uint32_t Get32(const unsigned char* at) {
  std::uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = v << 8 | at[k];
  return v;
}
std::uint64_t Get64(const unsigned char* at) {
  std::uint64_t v = 0;
  for (int k = 7; k >= 0; --k) v = v << 8 | at[k];
  return v;
}

bool WriteAllAt(int fd, const void* data, std::size_t size, off_t at) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = pwrite(fd, bytes, size, at);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written, size -= static_cast<std::size_t>(written), at += written;
  }
  return true;
}

// Flushes a folder's entries to the disk.
void SyncFolder(const fs::path& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// A folder of ours that may be written, made (with the user's own access
// only) when missing and make is true.
bool Usable(const fs::path& folder, bool make) {
  std::error_code ec;
  if (make) fs::create_directories(folder, ec);
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid()) return false;
  if (ec == std::error_code() && (info.st_mode & 077) != 0) chmod(folder.c_str(), 0700);
  return access(folder.c_str(), W_OK | X_OK) == 0;
}

[[noreturn]] void Fail() { throw Failure(FailureKind::StreamWriteError); }

}  // namespace

fs::path Folder(bool make) {
  const char* state = std::getenv("XDG_STATE_HOME");
  const char* home = std::getenv("HOME");
  fs::path folder;
  if (state && state[0] == '/') {
    folder = fs::path(state) / "morvexa";
  } else if (home && home[0] == '/') {
    folder = fs::path(home) / ".local/state/morvexa";
  }
  if (!folder.empty() && Usable(folder, make)) return folder;
  // The temporary folder, in a folder of the user's own.
  const char* temporary = std::getenv("TMPDIR");
  folder = fs::path(temporary && temporary[0] == '/' ? temporary : "/tmp") / ("morvexa-" + std::to_string(geteuid()));
  if (Usable(folder, make)) return folder;
  return {};
}

Backup::Backup(int target, const struct stat& info, const fs::path& path, std::uint64_t newSize) {
  const fs::path folder = Folder();
  if (folder.empty()) Fail();
  header_.device = info.st_dev;
  header_.inode = info.st_ino;
  header_.newSize = newSize;
  header_.target = path.string();
  header_.bytesAt = kFixedBytes + header_.target.size();
  struct FdGuard {
    int& fd;
    std::string name;
    bool kept = false;
    ~FdGuard() {
      if (kept) return;
      if (!name.empty()) unlink(name.c_str());
      if (fd >= 0) close(fd);
      fd = -1;
    }
  } guard{fd_, {}};
  // Unnamed while it is filled, so that no one takes a half-made copy for
  // one that was left behind; where the folder cannot hold unnamed files,
  // named "partial-" until it is whole.
  fd_ = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    std::string partial = (folder / "partial-XXXXXX.old").string();
    fd_ = mkostemps(partial.data(), 4, O_CLOEXEC);
    if (fd_ < 0) Fail();
    guard.name = partial;
  }
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (fcntl(fd_, F_OFD_SETLK, &lock) != 0) Fail();
  // Room for the whole copy first: a full disk fails before anything else.
  const auto oldSize = static_cast<std::uint64_t>(info.st_size);
  if (const int error = posix_fallocate(fd_, 0, static_cast<off_t>(header_.bytesAt + oldSize));
      error != 0 && error != EOPNOTSUPP && error != EINVAL) {
    Fail();
  }
  // The bytes, as many as the file holds now.
  std::uint64_t copied = 0;
  for (;;) {
    loff_t in = static_cast<loff_t>(copied), out = static_cast<loff_t>(header_.bytesAt + copied);
    const ssize_t got = copy_file_range(target, &in, fd_, &out, kBufferBytes, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) break;
    if (got < 0) Fail();
    if (got == 0) break;
    copied += static_cast<std::uint64_t>(got);
  }
  if (copied == 0 && oldSize > 0) {
    // Between file systems where the kernel cannot copy: through memory.
    const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferBytes);
    for (;;) {
      const ssize_t got = pread(target, buffer.get(), kBufferBytes, static_cast<off_t>(copied));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) Fail();
      if (got == 0) break;
      if (!WriteAllAt(fd_, buffer.get(), static_cast<std::size_t>(got), static_cast<off_t>(header_.bytesAt + copied))) {
        Fail();
      }
      copied += static_cast<std::uint64_t>(got);
    }
  }
  header_.oldSize = copied;
  unsigned char fixed[kFixedBytes] = {};
  std::memcpy(fixed, kMagic, sizeof kMagic);
  Put32(fixed + kPhaseAt, static_cast<std::uint32_t>(Phase::Copied));
  Put32(fixed + 12, static_cast<std::uint32_t>(header_.target.size()));
  Put64(fixed + 16, header_.device);
  Put64(fixed + 24, header_.inode);
  Put64(fixed + 32, header_.oldSize);
  Put64(fixed + 40, header_.newSize);
  Put64(fixed + 48, header_.bytesAt);
  if (!WriteAllAt(fd_, fixed, sizeof fixed, 0) ||
      !WriteAllAt(fd_, header_.target.data(), header_.target.size(), kFixedBytes) ||
      ftruncate(fd_, static_cast<off_t>(header_.bytesAt + copied)) != 0 || fdatasync(fd_) != 0) {
    Fail();
  }
  // Named once whole.
  if (guard.name.empty()) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      char name[] = "save-XXXXXX.old";
      static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
      unsigned seed = static_cast<unsigned>(getpid()) * 2654435761u ^ static_cast<unsigned>(std::rand()) ^
                      static_cast<unsigned>(attempt) * 40503u ^ static_cast<unsigned>(copied);
      for (int k = 5; k < 11; ++k, seed /= 36) name[k] = kDigits[seed % 36];
      const std::string named = (folder / name).string();
      if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        path_ = named;
      } else if (errno != EEXIST) {
        Fail();
      }
    }
    if (path_.empty()) Fail();
  } else {
    std::string named = guard.name;
    named.replace(named.rfind("partial-"), 8, "save-");
    if (rename(guard.name.c_str(), named.c_str()) != 0) Fail();
    path_ = named;
  }
  guard.kept = true;
  SyncFolder(folder);
}

Backup::~Backup() {
  if (fd_ < 0) return;
  if (!path_.empty() && !kept_) {
    unlink(path_.c_str());
    SyncFolder(fs::path(path_).parent_path());
  }
  close(fd_);
}

void Backup::SetPhase(Phase phase) {
  if (!WritePhase(fd_, phase)) Fail();
  header_.phase = phase;
}

bool Backup::Restore(int target) const {
  const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferBytes);
  return CopyBack(fd_, header_.bytesAt, header_.oldSize, target, buffer.get(), kBufferBytes);
}

std::optional<Header> ReadHeader(int fd) {
  unsigned char fixed[kFixedBytes];
  if (pread(fd, fixed, sizeof fixed, 0) != static_cast<ssize_t>(sizeof fixed)) return {};
  if (std::memcmp(fixed, kMagic, sizeof kMagic) != 0) return {};
  Header header;
  const std::uint32_t phase = Get32(fixed + kPhaseAt);
  if (phase < 1 || phase > 3) return {};
  header.phase = static_cast<Phase>(phase);
  const std::uint32_t pathBytes = Get32(fixed + 12);
  header.device = static_cast<dev_t>(Get64(fixed + 16));
  header.inode = static_cast<ino_t>(Get64(fixed + 24));
  header.oldSize = Get64(fixed + 32);
  header.newSize = Get64(fixed + 40);
  header.bytesAt = Get64(fixed + 48);
  struct stat info {};
  if (pathBytes == 0 || pathBytes > 65536 || header.bytesAt != kFixedBytes + pathBytes || fstat(fd, &info) != 0 ||
      static_cast<std::uint64_t>(info.st_size) != header.bytesAt + header.oldSize) {
    return {};
  }
  header.target.resize(pathBytes);
  if (pread(fd, header.target.data(), pathBytes, kFixedBytes) != static_cast<ssize_t>(pathBytes)) return {};
  return header;
}

bool WritePhase(int fd, Phase phase) {
  unsigned char bytes[4];
  Put32(bytes, static_cast<std::uint32_t>(phase));
  return WriteAllAt(fd, bytes, sizeof bytes, kPhaseAt) && fdatasync(fd) == 0;
}

bool CopyBack(int in, std::uint64_t from, std::uint64_t size, int out, char* buffer, std::size_t bufferSize) {
  for (std::uint64_t done = 0; done < size;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(bufferSize, size - done));
    const ssize_t got = pread(in, buffer, want, static_cast<off_t>(from + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    if (!WriteAllAt(out, buffer, static_cast<std::size_t>(got), static_cast<off_t>(done))) return false;
    done += static_cast<std::uint64_t>(got);
  }
  return ftruncate(out, static_cast<off_t>(size)) == 0 && fdatasync(out) == 0;
}

bool SameBytes(int a, int b, std::uint64_t from, std::uint64_t size) {
  struct stat info {};
  if (fstat(a, &info) != 0 || static_cast<std::uint64_t>(info.st_size) != size) return false;
  std::vector<char> one(kBufferBytes), two(kBufferBytes);
  for (std::uint64_t done = 0; done < size;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBufferBytes, size - done));
    if (pread(a, one.data(), want, static_cast<off_t>(done)) != static_cast<ssize_t>(want) ||
        pread(b, two.data(), want, static_cast<off_t>(from + done)) != static_cast<ssize_t>(want) ||
        std::memcmp(one.data(), two.data(), want) != 0) {
      return false;
    }
    done += want;
  }
  return true;
}

}  // namespace morvexa::save_backup
