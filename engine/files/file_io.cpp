#include "files/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace morvexa::file_io {

bool WriteAll(int fd, std::string_view bytes, off_t at) {
  while (!bytes.empty()) {
    const ssize_t written = at < 0 ? write(fd, bytes.data(), bytes.size()) : pwrite(fd, bytes.data(), bytes.size(), at);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
    if (at >= 0) at += written;
  }
  return true;
}

ssize_t ReadAll(int fd, void* out, std::size_t size, off_t at) {
  auto* bytes = static_cast<char*>(out);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = pread(fd, bytes + done, size - done, at + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

void SyncFolder(const std::filesystem::path& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace morvexa::file_io
