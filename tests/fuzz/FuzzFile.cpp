#include "tests/fuzz/FuzzFile.h"

#include <unistd.h>

#include <cstdio>

std::string FuzzFile(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/zq_load_fuzz_" + std::to_string(getpid());
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}
