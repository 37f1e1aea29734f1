#include "morvexa/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace morvexa {

bool FillClosedStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor: the closed one, since those below it are
    // open by now.
    if (open("/dev/null", O_RDONLY | O_NOCTTY) != fd) return false;
  }
  return true;
}

}  // namespace morvexa
