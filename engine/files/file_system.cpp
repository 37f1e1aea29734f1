#include "files/file_system.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "morvexa/failure.h"

namespace morvexa::file_system {

namespace {

// The kinds of file system, by their magic numbers, whose files are the
// kernel's own.
constexpr std::array<unsigned long, 20> kPseudoFileSystems = {
    PROC_SUPER_MAGIC, SYSFS_MAGIC,        DEBUGFS_MAGIC,       TRACEFS_MAGIC,        SECURITYFS_MAGIC, SELINUX_MAGIC,
    SMACK_MAGIC,      CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, RDTGROUP_SUPER_MAGIC, BPF_FS_MAGIC,     PSTOREFS_MAGIC,
    EFIVARFS_MAGIC,   BINFMTFS_MAGIC,     DEVPTS_SUPER_MAGIC,  NSFS_MAGIC,           AAFS_MAGIC,       HUGETLBFS_MAGIC,
    0x62656570,  // configfs
    0x65735543,  // fusectl
};

}  // namespace

bool OnPseudoFileSystem(const std::filesystem::path& path) {
  struct statfs info {};
  std::error_code ec;
  const std::filesystem::path looked = std::filesystem::exists(path, ec) ? path : path.parent_path();
  if (statfs(looked.empty() ? "." : looked.c_str(), &info) != 0) return false;
  const auto type = static_cast<unsigned long>(info.f_type);
  return std::find(kPseudoFileSystems.begin(), kPseudoFileSystems.end(), type) != kPseudoFileSystems.end();
}

bool AppendOnlyOrImmutable(int fd) {
  int flags = 0;
  if (ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) return false;  // a file system without such flags
  return (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
}

std::string NotARegularFile(unsigned mode) {
  if (S_ISREG(mode)) return {};
  if (S_ISDIR(mode)) return SystemReason(EISDIR);
  if (S_ISFIFO(mode)) return "It is a pipe (FIFO), not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "It is a device, not a regular file";
  if (S_ISSOCK(mode)) return "It is a socket, not a regular file";
  return "It is not a regular file";
}

bool IsMountPoint(const std::filesystem::path& path) {
  struct statx info {};
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS, &info) != 0) return false;
  return (info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 && (info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
}

}  // namespace morvexa::file_system
