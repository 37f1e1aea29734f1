// Loaded into a program (LD_PRELOAD) to make it run as on a file system
// that cannot make unnamed files: open with O_TMPFILE fails with
// EOPNOTSUPP, as it does there; every other open is the system's own.
#include <dlfcn.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdarg>

namespace {

template <typename Open>
int Opened(const char* name, int flags, va_list arguments, const char* symbol) {
  if ((flags & O_TMPFILE) == O_TMPFILE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  const mode_t mode = (flags & O_CREAT) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
  static const auto real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, symbol));
  return real(name, flags, mode);
}

}  // namespace

extern "C" {

int open(const char* name, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const int fd = Opened<int (*)(const char*, int, ...)>(name, flags, arguments, "open");
  va_end(arguments);
  return fd;
}

int open64(const char* name, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const int fd = Opened<int (*)(const char*, int, ...)>(name, flags, arguments, "open64");
  va_end(arguments);
  return fd;
}

}  // extern "C"
