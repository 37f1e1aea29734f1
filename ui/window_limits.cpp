#include "window_limits.h"

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <limits>
#include <string>

namespace morvexa {

namespace {

// The memory the system could give without swapping (MemAvailable), in
// bytes; unlimited when it cannot be told.
std::uint64_t AvailableMemory() {
  std::ifstream info("/proc/meminfo");
  std::string key;
  std::uint64_t kilobytes = 0;
  while (info >> key >> kilobytes) {
    if (key == "MemAvailable:") return kilobytes * 1024;
    info.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  }
  return std::numeric_limits<std::uint64_t>::max();
}

// What is left of the address-space limit (ulimit -v), in bytes.
std::uint64_t AddressSpaceLeft() {
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
    return std::numeric_limits<std::uint64_t>::max();
  }
  std::ifstream statm("/proc/self/statm");
  std::uint64_t pages = 0;
  statm >> pages;
  const std::uint64_t used = pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
  return limit.rlim_cur > used ? limit.rlim_cur - used : 0;
}

}  // namespace

bool FitsInTheWindow(std::size_t width, std::size_t height) {
  const std::uint64_t pixels = std::uint64_t{width} * height;
  if (pixels > kMaxWindowPixels) return false;
  const std::uint64_t needed = pixels * kWindowBytesPerPixel;
  return needed <= AvailableMemory() && needed <= AddressSpaceLeft();
}

}  // namespace morvexa
