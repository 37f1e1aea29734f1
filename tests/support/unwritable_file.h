#pragma once

// Makes an existing file one that may not be written, even by root: the
// immutable attribute where the process may set it (root on ext4 and most
// Linux file systems), read-only permissions otherwise. The attribute is
// taken away again when the guard goes.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>

namespace morvexa::testing_support {

class UnwritableFile {
 public:
  explicit UnwritableFile(const std::filesystem::path& path) : path_(path) {
    if (geteuid() != 0) {
      std::filesystem::permissions(path, std::filesystem::perms::owner_read, std::filesystem::perm_options::replace);
      unwritable_ = true;
      return;
    }
    immutable_ = SetImmutable(true);
    unwritable_ = immutable_;
  }
  ~UnwritableFile() {
    if (immutable_) SetImmutable(false);
  }
  UnwritableFile(const UnwritableFile&) = delete;
  UnwritableFile& operator=(const UnwritableFile&) = delete;

  // False where neither way is open to this process (then the test skips).
  bool unwritable() const { return unwritable_; }

 private:
  bool SetImmutable(bool on) {
    const int fd = open(path_.c_str(), O_RDONLY);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return done;
  }

  std::filesystem::path path_;
  bool immutable_ = false;
  bool unwritable_ = false;
};

}  // namespace morvexa::testing_support
