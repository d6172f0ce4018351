#include "zq7/Zq7File/ZqFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

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

std::FILE* ZqFile::Stream(std::uint64_t offset) {
  if (!stream_) stream_ = ::fdopen(fd_, "rb");
  if (!stream_ || offset > size_ || ::fseeko(stream_, static_cast<off_t>(offset), SEEK_SET) != 0) return nullptr;
  return stream_;
}

namespace {

bool CopyInto(int from, int to) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t got = ::read(from, buffer.data(), buffer.size());
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(to, buffer.data() + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      done += put;
    }
  }
}

// The mode a new file gets from open(2) with 0666 under the process's umask.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

ZqSaveTarget::~ZqSaveTarget() {
  if (!sibling_.empty() && !committed_) ::unlink(sibling_.c_str());
}

WORD ZqSaveTarget::Create(bool copyExisting) {
  if (target_.empty() || target_.back() == '/') return ZQ_ERR_BAD_PARAMETER;
  struct stat st {};
  existed_ = ::stat(target_.c_str(), &st) == 0;
  if (existed_ && S_ISDIR(st.st_mode)) return ZQ_ERR_BAD_PARAMETER;
  const std::size_t slash = target_.rfind('/');
  // A short fixed stem keeps the sibling's name within the folder's name limit whatever
  // the length of the target's own name.
  std::string pattern = (slash == std::string::npos ? std::string() : target_.substr(0, slash + 1)) + ".zqsave.XXXXXX";
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return ZQ_ERR_WRITE_FAILED;
  sibling_ = pattern;
  bool ok = ::fchmod(fd, existed_ ? (st.st_mode & 07777) : NewFileMode()) == 0;
  if (ok && copyExisting && existed_) {
    const int from = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC);
    ok = from >= 0 && CopyInto(from, fd);
    if (from >= 0) ::close(from);
  }
  ok = ::close(fd) == 0 && ok;
  return ok ? WORD{ZQ_OK} : WORD{ZQ_ERR_WRITE_FAILED};
}

WORD ZqSaveTarget::Commit() {
  // The rename is what makes the picture appear whole or not at all. There is no fsync
  // before it: forcing tens of megabytes to the disk would double the cost of a save, and
  // the file systems in use order a replacing rename after the data it renames.
  if (sibling_.empty() || std::rename(sibling_.c_str(), target_.c_str()) != 0) return ZQ_ERR_WRITE_FAILED;
  committed_ = true;
  return ZQ_OK;
}
