#pragma once

#include <sys/types.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

// Reading and writing whole runs of bytes on descriptors, as every saver
// of files here does: the system may write or read less than asked, or be
// interrupted by a signal, and each caller would otherwise loop on its own.
// Nothing here allocates: each is safe to call while a signal is handled.
namespace morvexa::file_io {

// Writes every byte, at offset at (pwrite), or where the file stands when at
// is negative (write). False when the system would write no more (a full
// disk, an error).
bool WriteAll(int fd, std::string_view bytes, off_t at = -1);

// Reads size bytes from offset at; how many there were before the file
// ended. -1 on an error.
ssize_t ReadAll(int fd, void* out, std::size_t size, off_t at);

// Copies size bytes from offset fromAt of the file open on from to offset
// toAt of the file open on to, a buffer's worth at a time; each piece is
// shown to seen (a callable taking a std::string_view and returning bool)
// before it is written, which ends the copy by returning false. False when
// a piece could not be read whole or written, or seen ended the copy.
template <typename Seen>
bool CopyBytes(int from, std::uint64_t fromAt, int to, std::uint64_t toAt, std::uint64_t size, std::span<char> buffer,
               Seen&& seen) {
  for (std::uint64_t done = 0; done < size;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - done));
    if (ReadAll(from, buffer.data(), want, static_cast<off_t>(fromAt + done)) != static_cast<ssize_t>(want))
      return false;
    const std::string_view piece(buffer.data(), want);
    if (!seen(piece) || !WriteAll(to, piece, static_cast<off_t>(toAt + done))) return false;
    done += want;
  }
  return true;
}

inline bool CopyBytes(int from, std::uint64_t fromAt, int to, std::uint64_t toAt, std::uint64_t size,
                      std::span<char> buffer) {
  return CopyBytes(from, fromAt, to, toAt, size, buffer, [](std::string_view) { return true; });
}

// Flushes a folder's entries (a name made, renamed or removed) to the disk.
void SyncFolder(const std::filesystem::path& folder);

}  // namespace morvexa::file_io
