#include "files/save_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

#include "files/file_io.h"
#include "files/state_folder.h"
#include "morvexa/failure.h"

namespace morvexa::save_record {

namespace {

namespace fs = std::filesystem;

// The layout of a record, all numbers little-endian:
//   0  "MVXSAVE2"
//   8  the checksum: XXH3-128 of every byte from 24 on (low, then high)
//  24  device, inode, old size, new size, time: 8 bytes each
//  64  bytes a block of the new bytes (4), bytes of the target's path (4)
//  72  the target's path; then the hashes of the new blocks (16 bytes
//      each, low then high); then the old bytes.
constexpr char kMagic[8] = {'M', 'V', 'X', 'S', 'A', 'V', 'E', '2'};
constexpr std::size_t kFixedBytes = 72;
constexpr std::size_t kChecksumAt = 8, kCheckedFrom = 24;
constexpr std::size_t kMostPathBytes = 65536;
constexpr std::size_t kBufferBytes = 1 << 20;  // a whole number of blocks

void Put64(unsigned char* at, std::uint64_t v) {
  for (int k = 0; k < 8; ++k) at[k] = static_cast<unsigned char>(v >> (8 * k));
}
std::uint64_t Get64(const unsigned char* at) {
  std::uint64_t v = 0;
  for (int k = 7; k >= 0; --k) v = v << 8 | at[k];
  return v;
}
void Put32(unsigned char* at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) at[k] = static_cast<unsigned char>(v >> (8 * k));
}
std::uint32_t Get32(const unsigned char* at) {
  std::uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = v << 8 | at[k];
  return v;
}

std::uint64_t Blocks(std::uint64_t size) { return (size + kBlockBytes - 1) / kBlockBytes; }

// The bytes of the header from kCheckedFrom to the old bytes.
std::string Described(const Header& header) {
  std::string bytes(kFixedBytes - kCheckedFrom + header.target.size() + 16 * header.newHashes.size(), '\0');
  auto* at = reinterpret_cast<unsigned char*>(bytes.data());
  Put64(at, static_cast<std::uint64_t>(header.device));
  Put64(at + 8, static_cast<std::uint64_t>(header.inode));
  Put64(at + 16, header.oldSize);
  Put64(at + 24, header.newSize);
  Put64(at + 32, static_cast<std::uint64_t>(header.time));
  Put32(at + 40, kBlockBytes);
  Put32(at + 44, static_cast<std::uint32_t>(header.target.size()));
  std::memcpy(at + 48, header.target.data(), header.target.size());
  at += 48 + header.target.size();
  for (const Hash& hash : header.newHashes) {
    Put64(at, hash.low);
    Put64(at + 8, hash.high);
    at += 16;
  }
  return bytes;
}

struct HashState {
  HashState() : state(XXH3_createState()) {
    if (!state) throw std::bad_alloc();
    XXH3_128bits_reset(state);
  }
  ~HashState() { XXH3_freeState(state); }
  HashState(const HashState&) = delete;
  HashState& operator=(const HashState&) = delete;
  void Add(const void* bytes, std::size_t size) { XXH3_128bits_update(state, bytes, size); }
  Hash Digest() const {
    const XXH128_hash_t digest = XXH3_128bits_digest(state);
    return {digest.low64, digest.high64};
  }
  XXH3_state_t* state;
};

[[noreturn]] void Fail() { throw Failure(FailureKind::StreamWriteError); }

// A name of six random characters after prefix, ending in ".old".
std::string RandomName(const std::string& prefix) {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  thread_local std::minstd_rand random(std::random_device{}());
  std::string name = prefix;
  for (int k = 0; k < 6; ++k) name += kDigits[random() % 36];
  return name + ".old";
}

}  // namespace

Hash HashOf(const void* bytes, std::size_t size) {
  const XXH128_hash_t digest = XXH3_128bits(bytes, size);
  return {digest.low64, digest.high64};
}

std::string NamePrefix(dev_t device, ino_t inode) {
  char name[64];
  std::snprintf(name, sizeof name, "save-%llx-%llx-", static_cast<unsigned long long>(device),
                static_cast<unsigned long long>(inode));
  return name;
}

Record::Record(int target, const struct stat& info, const fs::path& path, int newBytes, std::uint64_t newSize) {
  const fs::path folder = StateFolder(true);
  if (folder.empty()) Fail();
  header_.device = info.st_dev;
  header_.inode = info.st_ino;
  header_.oldSize = static_cast<std::uint64_t>(info.st_size);
  header_.newSize = newSize;
  header_.time = std::time(nullptr);
  header_.target = path.string();
  if (header_.target.size() > kMostPathBytes) Fail();

  // Unnamed while it is filled, so that no one takes a half-made record
  // for one that was left behind; where the folder cannot hold unnamed
  // files, named "partial-" until it is whole.
  std::string partial;
  fd_ = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    partial = (folder / "partial-XXXXXX.old").string();
    fd_ = mkostemps(partial.data(), 4, O_CLOEXEC);
    if (fd_ < 0) Fail();
  }
  struct Closer {
    Record& record;
    const std::string& partial;
    bool done = false;
    ~Closer() {
      if (!partial.empty()) unlink(partial.c_str());
      if (!done) close(record.fd_), record.fd_ = -1;
    }
  } closer{*this, partial};
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (fcntl(fd_, F_OFD_SETLK, &lock) != 0) Fail();

  const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferBytes);
  // The hashes of the new bytes, a block at a time.
  header_.newHashes.reserve(Blocks(newSize));
  for (std::uint64_t done = 0; done < newSize;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBufferBytes, newSize - done));
    if (file_io::ReadAll(newBytes, buffer.get(), want, static_cast<off_t>(done)) != static_cast<ssize_t>(want)) Fail();
    for (std::size_t at = 0; at < want; at += kBlockBytes) {
      header_.newHashes.push_back(HashOf(buffer.get() + at, std::min<std::size_t>(kBlockBytes, want - at)));
    }
    done += want;
  }
  const std::string described = Described(header_);
  header_.oldAt = kCheckedFrom + described.size();
  // Room for the whole record first: a full disk fails before anything else.
  if (const int error = posix_fallocate(fd_, 0, static_cast<off_t>(header_.oldAt + header_.oldSize));
      error != 0 && error != EOPNOTSUPP && error != EINVAL) {
    Fail();
  }
  HashState checksum;
  checksum.Add(described.data(), described.size());
  // The old bytes, all that the file held when it was locked.
  if (!file_io::CopyBytes(target, 0, fd_, header_.oldAt, header_.oldSize, {buffer.get(), kBufferBytes},
                          [&checksum](std::string_view piece) {
                            checksum.Add(piece.data(), piece.size());
                            return true;
                          })) {
    Fail();
  }
  struct stat now {};
  if (fstat(target, &now) != 0 || now.st_size != info.st_size) Fail();  // changed by one who takes no lock
  unsigned char fixed[kCheckedFrom] = {};
  std::memcpy(fixed, kMagic, sizeof kMagic);
  const Hash sum = checksum.Digest();
  Put64(fixed + kChecksumAt, sum.low);
  Put64(fixed + kChecksumAt + 8, sum.high);
  if (!file_io::WriteAll(fd_, {reinterpret_cast<const char*>(fixed), sizeof fixed}, 0) ||
      !file_io::WriteAll(fd_, described, kCheckedFrom) ||
      ftruncate(fd_, static_cast<off_t>(header_.oldAt + header_.oldSize)) != 0 || fdatasync(fd_) != 0) {
    Fail();
  }
  // Named once whole.
  const std::string self = partial.empty() ? "/proc/self/fd/" + std::to_string(fd_) : partial;
  const std::string prefix = NamePrefix(header_.device, header_.inode);
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const std::string named = (folder / RandomName(prefix)).string();
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, named.c_str(), partial.empty() ? AT_SYMLINK_FOLLOW : 0) == 0) {
      path_ = named;
    } else if (errno != EEXIST) {
      Fail();
    }
  }
  if (path_.empty()) Fail();
  file_io::SyncFolder(folder);
  closer.done = true;
}

Record::~Record() {
  if (fd_ < 0) return;
  // Should the removal not reach the disk, the next run finds the file
  // whole and removes the record again.
  if (!path_.empty() && !kept_) unlink(path_.c_str());
  close(fd_);
}

bool Record::Restore(int target) const { return CopyOldBytes(fd_, header_, target); }

ReadRecord Read(int fd) {
  ReadRecord read;
  unsigned char fixed[kFixedBytes];
  if (file_io::ReadAll(fd, fixed, sizeof fixed, 0) != static_cast<ssize_t>(sizeof fixed) ||
      std::memcmp(fixed, kMagic, sizeof kMagic) != 0) {
    return read;
  }
  Header& header = read.header;
  header.device = static_cast<dev_t>(Get64(fixed + 24));
  header.inode = static_cast<ino_t>(Get64(fixed + 32));
  header.oldSize = Get64(fixed + 40);
  header.newSize = Get64(fixed + 48);
  header.time = static_cast<std::time_t>(Get64(fixed + 56));
  const std::uint32_t block = Get32(fixed + 64), pathBytes = Get32(fixed + 68);
  if (block != kBlockBytes || pathBytes == 0 || pathBytes > kMostPathBytes ||
      header.newSize > (std::uint64_t{1} << 60) || header.oldSize > (std::uint64_t{1} << 60)) {
    return read;
  }
  header.target.resize(pathBytes);
  if (file_io::ReadAll(fd, header.target.data(), pathBytes, kFixedBytes) != static_cast<ssize_t>(pathBytes)) {
    return read;
  }
  read.reading = Reading::Damaged;  // the header is readable from here on
  const std::uint64_t blocks = Blocks(header.newSize);
  header.oldAt = kFixedBytes + pathBytes + 16 * blocks;
  struct stat info {};
  if (fstat(fd, &info) != 0 || static_cast<std::uint64_t>(info.st_size) != header.oldAt + header.oldSize) return read;
  std::vector<unsigned char> hashes(16 * blocks);
  if (file_io::ReadAll(fd, hashes.data(), hashes.size(), static_cast<off_t>(kFixedBytes + pathBytes)) !=
      static_cast<ssize_t>(hashes.size())) {
    return read;
  }
  header.newHashes.resize(blocks);
  for (std::size_t k = 0; k < blocks; ++k) header.newHashes[k] = {Get64(&hashes[16 * k]), Get64(&hashes[16 * k + 8])};
  // Everything after the checksum, through the checksum.
  HashState checksum;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferBytes);
  const std::uint64_t end = header.oldAt + header.oldSize;
  for (std::uint64_t at = kCheckedFrom; at < end;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBufferBytes, end - at));
    if (file_io::ReadAll(fd, buffer.get(), want, static_cast<off_t>(at)) != static_cast<ssize_t>(want)) return read;
    checksum.Add(buffer.get(), want);
    at += want;
  }
  const Hash sum = checksum.Digest();
  if (sum.low != Get64(fixed + kChecksumAt) || sum.high != Get64(fixed + kChecksumAt + 8)) {
    return read;
  }
  read.reading = Reading::Whole;
  return read;
}

bool CopyOldBytes(int fd, const Header& header, int target) {
  const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferBytes);
  return file_io::CopyBytes(fd, header.oldAt, target, 0, header.oldSize, {buffer.get(), kBufferBytes}) &&
         ftruncate(target, static_cast<off_t>(header.oldSize)) == 0 && fdatasync(target) == 0;
}

}  // namespace morvexa::save_record
