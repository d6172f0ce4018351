#include "zq7/Zq7File/ZqFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

ZqFile::ZqFile(int fd, std::uint64_t size, std::string path) : fd_(fd), size_(size), path_(std::move(path)) {}

ZqFile::~ZqFile() {
  if (stream_)
    std::fclose(stream_);
  else
    ::close(fd_);
}

std::unique_ptr<ZqFile> ZqFile::OpenRead(const char* path) {
  if (!path) return nullptr;
  // O_NONBLOCK keeps the open itself from waiting on a pipe that has no writer; it
  // changes nothing for the regular files that pass the test below.
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
    ::close(fd);
    return nullptr;
  }
  try {
    return std::unique_ptr<ZqFile>(new ZqFile(fd, static_cast<std::uint64_t>(st.st_size), path));
  } catch (...) {
    ::close(fd);
    throw;
  }
}

std::size_t ZqFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t n) const {
  std::size_t got = 0;
  while (got < n) {
    const ssize_t r = ::pread(fd_, static_cast<char*>(buffer) + got, n - got, static_cast<off_t>(offset + got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;  // an I/O error, or a file that shrank under us
    got += static_cast<std::size_t>(r);
  }
  return got;
}

std::FILE* ZqFile::Stream() {
  if (!stream_) stream_ = ::fdopen(fd_, "rb");
  if (stream_) std::rewind(stream_);
  return stream_;
}
