#pragma once

#include <filesystem>
#include <string>

// What the file system says of a file or folder beyond its type and mode.
namespace morvexa::file_system {

// Whether path is on a file system the kernel makes up (proc, sysfs,
// debugfs, cgroup, ...): its "files" are settings and views of the running
// system, not files a picture is read from or art saved into. Links are
// followed; for a path that does not exist, its folder is looked at.
bool OnPseudoFileSystem(const std::filesystem::path& path);

// Whether the inode open on fd is append-only or immutable: as a folder,
// no entry may be removed or renamed from it; as a file, it may not be
// rewritten.
bool AppendOnlyOrImmutable(int fd);

// Why a file of mode is not a regular file that can be read, in English as
// the system's reasons are ("It is a pipe (FIFO), not a regular file");
// empty for a regular file.
std::string NotARegularFile(unsigned mode);

// Whether path is a mount point (a file or folder bind-mounted there):
// nothing may be renamed over it.
bool IsMountPoint(const std::filesystem::path& path);

}  // namespace morvexa::file_system
