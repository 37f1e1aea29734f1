#pragma once

// Catching a save in place in the middle of its rewrite: the process is
// stopped again and again until the file holds a mix of its old bytes and
// its new ones, and left stopped there for the test to kill or signal.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

namespace morvexa::testing_support {

// Stops pid, which is rewriting file in place from oldByte repeated to
// newByte repeated (written from the start), once the file starts with a
// new byte and ends with an old one. True with pid left stopped; false
// when pid ended first (it has then been waited for, its status in
// status).
inline bool StopWhenTorn(pid_t pid, const std::filesystem::path& file, char oldByte, char newByte, int& status) {
  std::mt19937 random(static_cast<unsigned>(pid));
  for (;;) {
    std::this_thread::sleep_for(std::chrono::microseconds(50 + random() % 200));
    kill(pid, SIGSTOP);
    if (waitpid(pid, &status, WUNTRACED) != pid || !WIFSTOPPED(status)) return false;
    const int fd = open(file.c_str(), O_RDONLY);
    char first = 0, last = 0;
    const off_t size = fd >= 0 ? lseek(fd, 0, SEEK_END) : 0;
    const bool torn = fd >= 0 && size > 0 && pread(fd, &first, 1, 0) == 1 && pread(fd, &last, 1, size - 1) == 1 &&
                      first == newByte && last == oldByte;
    if (fd >= 0) close(fd);
    if (torn) return true;
    kill(pid, SIGCONT);
  }
}

// Kills pid (stopped or not) with SIGKILL and waits for it.
inline void KillNow(pid_t pid) {
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
}

}  // namespace morvexa::testing_support
