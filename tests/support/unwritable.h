#pragma once

// Makes an existing file or folder one that may not be written (a folder:
// that takes no new file), even by root: the immutable attribute where the
// process may set it (root on ext4 and most Linux file systems), read-only
// permissions otherwise. Both are taken away again when the guard goes.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>

namespace morvexa::testing_support {

class Unwritable {
 public:
  explicit Unwritable(const std::filesystem::path& path) : path_(path) {
    namespace fs = std::filesystem;
    if (geteuid() != 0) {
      saved_ = fs::status(path).permissions();
      fs::permissions(path,
                      fs::is_directory(path) ? fs::perms::owner_read | fs::perms::owner_exec : fs::perms::owner_read,
                      fs::perm_options::replace);
      permissions_ = true;
      return;
    }
    immutable_ = SetImmutable(true);
  }
  ~Unwritable() {
    if (immutable_) SetImmutable(false);
    if (permissions_) std::filesystem::permissions(path_, saved_, std::filesystem::perm_options::replace);
  }
  Unwritable(const Unwritable&) = delete;
  Unwritable& operator=(const Unwritable&) = delete;

  // False where neither way is open to this process (then the test skips).
  bool Active() const { return immutable_ || permissions_; }

 private:
  bool SetImmutable(bool on) {
    const int fd = open(path_.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return done;
  }

  std::filesystem::path path_;
  std::filesystem::perms saved_{};
  bool immutable_ = false;
  bool permissions_ = false;
};

}  // namespace morvexa::testing_support
