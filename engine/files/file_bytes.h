#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "morvexa/read_settings.h"

namespace morvexa {

// The bytes of a picture file, read where and when they are needed, so that
// a file that changes while it is read gives a failure, never a crash.
//
// A regular file is read with pread, by any number of threads at once. A
// file is taken by what it holds, not by the size it reports: one that
// reports no bytes (a /proc file) is read to its end first. Anything that is
// not a regular file (a folder, FIFO, device or socket) is refused before
// any open that could block. Standard input and other streams are read to
// their end into memory, which grows without copying what it holds: reading
// n bytes takes about n bytes of memory at its peak.
//
// What is read into memory is read up to the largest size a picture file
// may have, kMostBytes (its first bytes checked first, when asked); a stream or file that holds more is refused with
// "Bitmap image is not valid" (saying, for the command line, that it is
// larger than that) once that much has been read, and is never held whole.
class FileBytes {
 public:
  // The largest picture file: the most pixels a picture may have
  // (ReadSettings) at four bytes each, the largest form they are stored in
  // uncompressed, and a mebibyte for everything else a file holds.
  static constexpr std::uint64_t kMostBytes = ReadSettings{}.maxPixels * 4 + (1 << 20);

  // A check of the first bytes (kHeadBytes, or all there are when fewer)
  // of what is read into memory, made before the rest is read: it throws to
  // refuse them, and nothing more is read.
  using HeadCheck = std::function<void(std::span<const unsigned char>)>;
  static constexpr std::size_t kHeadBytes = 512;

  // Fails with "Cannot open file %s" (see ShownPath).
  static FileBytes Open(const std::filesystem::path& path, std::uint64_t most = kMostBytes,
                        const HeadCheck& check = {});
  // Everything a stream (a pipe, standard input) holds, read to its end.
  static FileBytes ReadStream(int fd, std::uint64_t most = kMostBytes, const HeadCheck& check = {});
  static FileBytes FromMemory(std::string bytes);

  // How many bytes the file held when it was opened.
  std::uint64_t Size() const { return size_; }

  // Reads out.size() bytes from offset; fails with "Stream read error" when
  // the file ends first, whenever that happens.
  void Read(std::uint64_t offset, std::span<unsigned char> out) const;
  // As Read, but a file that ends first gives fewer bytes: how many.
  std::size_t ReadSome(std::uint64_t offset, std::span<unsigned char> out) const;

 private:
  static FileBytes ReadToEnd(int fd, std::uint64_t most, const HeadCheck& check);

  struct Descriptor;
  std::shared_ptr<const Descriptor> fd_;         // a regular file, or none
  std::shared_ptr<const unsigned char> memory_;  // Size() bytes read into memory, or none
  std::uint64_t size_ = 0;
};

}  // namespace morvexa
