#include "files/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "files/file_system.h"
#include "morvexa/failure.h"
#include "morvexa/shown_path.h"

namespace morvexa {

struct FileBytes::Descriptor {
  int fd;
  explicit Descriptor(int d) : fd(d) {}
  ~Descriptor() { close(fd); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
};

namespace {

// Reads fd to its end, when that comes within most bytes. Reads are of
// whole pieces of 64 KiB (some kernel files take no others), so up to one
// piece more may be read before the limit is seen to be passed.
std::string ReadToEnd(int fd, std::uint64_t most, const FileBytes::HeadCheck& check) {
  constexpr std::size_t kPiece = 65536;
  std::string bytes;
  std::size_t size = 0;
  bool checked = !check;
  for (;;) {
    if (!checked && size >= FileBytes::kHeadBytes) {
      check({reinterpret_cast<const unsigned char*>(bytes.data()), FileBytes::kHeadBytes});
      checked = true;
    }
    if (size > most) throw Failure(FailureKind::BitmapNotValid);
    if (bytes.size() - size < kPiece) {
      const std::size_t grown = std::max<std::size_t>(2 * bytes.size(), size + kPiece);
      bytes.resize(std::min<std::size_t>(grown, (most / kPiece + 2) * kPiece));
    }
    const ssize_t got = read(fd, bytes.data() + size, bytes.size() - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw Failure(FailureKind::StreamReadError);
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  bytes.resize(size);
  if (!checked) check({reinterpret_cast<const unsigned char*>(bytes.data()), size});
  return bytes;
}

// "Cannot open file PATH", with the system's reason (errno), or what the
// file is instead of a regular one.
[[noreturn]] void CannotOpen(const std::filesystem::path& path, int error, const struct stat* info = nullptr) {
  const std::string reason = info ? file_system::NotARegularFile(info->st_mode) : SystemReason(error);
  throw Failure(FailureKind::CannotOpenFile, ShownPath(path), {reason, {}});
}

}  // namespace

FileBytes FileBytes::Open(const std::filesystem::path& path, std::uint64_t most, const HeadCheck& check) {
  // Looked at before it is opened: opening a FIFO or a device can block or
  // do something to the device.
  struct stat info {};
  if (path.empty()) CannotOpen(path, ENOENT);
  if (stat(path.c_str(), &info) != 0) CannotOpen(path, errno);
  if (!S_ISREG(info.st_mode)) CannotOpen(path, 0, &info);
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) CannotOpen(path, errno);
  auto descriptor = std::make_shared<const Descriptor>(fd);
  // The same check on what was opened, in case the name changed hands.
  if (fstat(fd, &info) != 0) CannotOpen(path, errno);
  if (!S_ISREG(info.st_mode)) CannotOpen(path, 0, &info);
  if (info.st_size == 0) return FromMemory(ReadToEnd(fd, most, check));
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  FileBytes bytes;
  bytes.fd_ = std::move(descriptor);
  bytes.size_ = static_cast<std::uint64_t>(info.st_size);
  return bytes;
}

FileBytes FileBytes::ReadStream(int fd, std::uint64_t most, const HeadCheck& check) {
  return FromMemory(ReadToEnd(fd, most, check));
}

FileBytes FileBytes::FromMemory(std::string memory) {
  FileBytes bytes;
  bytes.size_ = memory.size();
  bytes.memory_ = std::make_shared<const std::string>(std::move(memory));
  return bytes;
}

std::size_t FileBytes::ReadSome(std::uint64_t offset, std::span<unsigned char> out) const {
  if (memory_) {
    if (offset >= memory_->size()) return 0;
    const std::size_t n = std::min<std::uint64_t>(out.size(), memory_->size() - offset);
    std::copy_n(memory_->data() + offset, n, out.data());
    return n;
  }
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t got = pread(fd_->fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw Failure(FailureKind::StreamReadError);
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

void FileBytes::Read(std::uint64_t offset, std::span<unsigned char> out) const {
  if (ReadSome(offset, out) != out.size()) throw Failure(FailureKind::StreamReadError);
}

}  // namespace morvexa
