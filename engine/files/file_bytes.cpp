#include "files/file_bytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <utility>

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

// Memory that grows as a stream is read: an anonymous mapping that mremap
// enlarges in place or moves by its page tables, so that growing never
// copies, and pages are taken only as bytes are read into them. Holding n
// bytes takes about n bytes at any time, where a buffer grown by copying
// takes up to twice that, and its zero fill more.
class GrowingMemory {
 public:
  GrowingMemory() = default;
  GrowingMemory(const GrowingMemory&) = delete;
  GrowingMemory& operator=(const GrowingMemory&) = delete;
  ~GrowingMemory() {
    if (start_) munmap(start_, length_);
  }

  unsigned char* Data() const { return static_cast<unsigned char*>(start_); }
  std::size_t Length() const { return length_; }

  // Room for length bytes, those held kept; less gives the rest back.
  void Resize(std::size_t length) {
    const std::size_t page = PageSize(), rounded = (length + page - 1) / page * page;
    if (rounded == length_) return;
    void* moved = MAP_FAILED;
    if (rounded == 0) {
      munmap(start_, length_);
      moved = nullptr;
    } else if (!start_) {
      moved = mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    } else {
      moved = mremap(start_, length_, rounded, MREMAP_MAYMOVE);
    }
    if (moved == MAP_FAILED) throw std::bad_alloc();
    start_ = moved, length_ = rounded;
  }

  // The memory handed to its new owner, who unmaps it when done.
  std::shared_ptr<const unsigned char> Release() {
    const std::size_t length = std::exchange(length_, 0);
    return {static_cast<const unsigned char*>(std::exchange(start_, nullptr)),
            [length](const unsigned char* start) { munmap(const_cast<unsigned char*>(start), length); }};
  }

 private:
  static std::size_t PageSize() { return static_cast<std::size_t>(sysconf(_SC_PAGESIZE)); }

  void* start_ = nullptr;
  std::size_t length_ = 0;
};

}  // namespace

// Reads fd to its end, when that comes within most bytes. Reads are of
// whole pieces of 64 KiB (some kernel files take no others), so up to one
// piece more may be read before the limit is seen to be passed.
FileBytes FileBytes::ReadToEnd(int fd, std::uint64_t most, const HeadCheck& check) {
  constexpr std::size_t kPiece = 65536;
  GrowingMemory memory;
  std::size_t size = 0;
  bool checked = !check;
  for (;;) {
    if (!checked && size >= kHeadBytes) {
      check({memory.Data(), kHeadBytes});
      checked = true;
    }
    if (size > most) {
      throw Failure(FailureKind::BitmapNotValid, {},
                    {.inputIs = "is larger than the " + std::to_string((most + (1 << 20) - 1) >> 20) +
                                " MiB a picture file may have"});
    }
    if (memory.Length() - size < kPiece) {
      const std::size_t grown = std::max<std::size_t>(2 * memory.Length(), size + kPiece);
      memory.Resize(std::min<std::size_t>(grown, (most / kPiece + 2) * kPiece));
    }
    const ssize_t got = read(fd, memory.Data() + size, (memory.Length() - size) / kPiece * kPiece);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw Failure(FailureKind::StreamReadError);
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  if (!checked) check({memory.Data(), size});
  memory.Resize(size);
  FileBytes bytes;
  bytes.size_ = size;
  bytes.memory_ = size == 0 ? std::make_shared<const unsigned char>(0) : memory.Release();
  return bytes;
}

namespace {

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
  if (info.st_size == 0) return ReadToEnd(fd, most, check);
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  FileBytes bytes;
  bytes.fd_ = std::move(descriptor);
  bytes.size_ = static_cast<std::uint64_t>(info.st_size);
  return bytes;
}

FileBytes FileBytes::ReadStream(int fd, std::uint64_t most, const HeadCheck& check) {
  return ReadToEnd(fd, most, check);
}

FileBytes FileBytes::FromMemory(std::string memory) {
  FileBytes bytes;
  bytes.size_ = memory.size();
  const auto held = std::make_shared<const std::string>(std::move(memory));
  bytes.memory_ = {held, reinterpret_cast<const unsigned char*>(held->data())};
  return bytes;
}

std::size_t FileBytes::ReadSome(std::uint64_t offset, std::span<unsigned char> out) const {
  if (memory_) {
    if (offset >= size_) return 0;
    const std::size_t n = std::min<std::uint64_t>(out.size(), size_ - offset);
    std::copy_n(memory_.get() + offset, n, out.data());
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
