#include "tests/fuzz/FuzzFile.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

std::string FuzzFile(const std::uint8_t* data, std::size_t size) {
  static const int fd = ::memfd_create("zq_fuzz", 0);
  if (fd < 0) std::abort();
  if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
  return "/proc/self/fd/" + std::to_string(fd);
}
