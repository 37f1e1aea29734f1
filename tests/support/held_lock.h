#pragma once

// A lock on a file held by another process, as another program holds it.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/types.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <string>

#include "torn_save.h"

namespace morvexa::testing_support {

// The kinds of lock that programs take on a whole file.
enum class LockKind {
  Posix,                // fcntl's F_SETLK, as lockf takes
  OpenFileDescription,  // fcntl's F_OFD_SETLK
  Flock,                // flock(2), as the flock command takes
};

inline std::string LockName(LockKind kind) {
  switch (kind) {
    case LockKind::Posix: return "a POSIX lock";
    case LockKind::OpenFileDescription: return "an open file description lock";
    case LockKind::Flock: return "a flock lock";
  }
  return "a lock";
}

// Holds a lock of the kind asked for (by default a POSIX lock, as lockf
// takes) on the whole of path in a child process until it is killed
// (KillNow); -1 when it could not be taken.
inline pid_t HoldLock(const std::filesystem::path& path, LockKind kind = LockKind::Posix) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    // Gone with the test, and holding none of its output open.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    const int fd = open(path.c_str(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    bool taken = false;
    switch (kind) {
      case LockKind::Posix: taken = fcntl(fd, F_SETLK, &lock) == 0; break;
      case LockKind::OpenFileDescription: taken = fcntl(fd, F_OFD_SETLK, &lock) == 0; break;
      case LockKind::Flock: taken = flock(fd, LOCK_EX | LOCK_NB) == 0; break;
    }
    const char done = taken ? 'y' : 'n';
    (void)!write(ready[1], &done, 1);
    pause();
    _exit(0);
  }
  char done = 0;
  close(ready[1]);
  const bool locked = read(ready[0], &done, 1) == 1 && done == 'y';
  close(ready[0]);
  if (!locked) {
    KillNow(child);
    return -1;
  }
  return child;
}

}  // namespace morvexa::testing_support
