#include "zq7/Zq7Com/ZqDataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <set>

#include "platform/files.h"
#include "zq7/Zq7Com/ZqStatus.h"

namespace {

// The descriptors these entries opened and have not closed.
std::set<int>& OpenFiles() {
  static std::set<int> files;
  return files;
}

bool Known(int file) { return OpenFiles().contains(file); }

int Error(WORD status) { return zq::Fail(status, kZqFileError); }

using zq::Fail;
using zq::Ok;

int OpenWith(LPCSTR path, int flags) {
  return zq::Guard(kZqFileError, [&] {
    if (!path || !*path) return Error(ZQ_ERR_BAD_PARAMETER);
    if (platform::DirectoryExists(path)) return Error(ZQ_ERR_FILE_NOT_FOUND);
    const int fd = ::open(path, flags | O_CLOEXEC, 0666);
    if (fd < 0) return Error((flags & O_CREAT) ? ZQ_ERR_WRITE_FAILED : ZQ_ERR_FILE_NOT_FOUND);
    try {
      OpenFiles().insert(fd);
    } catch (...) {
      ::close(fd);  // a descriptor nobody could close again
      throw;
    }
    return Ok(fd);
  });
}

LONG SizeFrom(const struct stat& st) {
  if (st.st_size > std::numeric_limits<LONG>::max()) return Error(ZQ_ERR_TOO_LARGE);
  ZqSetErrorStatus(ZQ_OK);
  return static_cast<LONG>(st.st_size);
}

}  // namespace

ZQ_EXPORT int DataFileOpen(LPCSTR path, int mode) {
  return zq::Guard<int>(0, [&]() -> int {
    switch (mode) {
      case kZqOpenRead: return OpenWith(path, O_RDONLY);
      case kZqOpenWrite: return OpenWith(path, O_WRONLY);
      case kZqOpenReadWrite: return OpenWith(path, O_RDWR);
      default: return Error(ZQ_ERR_BAD_PARAMETER);
    }
  });
}

ZQ_EXPORT int DataFileReadOpen(LPCSTR path) { return OpenWith(path, O_RDONLY); }

ZQ_EXPORT int DataFileWriteOpen(LPCSTR path) { return OpenWith(path, O_WRONLY); }

ZQ_EXPORT int DataFileCreateOpen(LPCSTR path) { return OpenWith(path, O_RDWR | O_CREAT | O_TRUNC); }

ZQ_EXPORT BOOL DataFileExist(LPCSTR path) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!path) return Fail(ZQ_ERR_BAD_PARAMETER);
    ZqSetErrorStatus(ZQ_OK);
    return platform::FileExists(path) ? TRUE : FALSE;
  });
}

ZQ_EXPORT BOOL DataFileClose(int file) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!Known(file)) return Fail(ZQ_ERR_BAD_PARAMETER);
    OpenFiles().erase(file);
    // The descriptor is gone even when close reports a late write error.
    if (::close(file) != 0) return Fail(ZQ_ERR_WRITE_FAILED);
    ZqSetErrorStatus(ZQ_OK);
    return TRUE;
  });
}

ZQ_EXPORT BOOL DataFileDelete(LPCSTR path) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!path || !platform::FileExists(path)) return Fail(ZQ_ERR_FILE_NOT_FOUND);
    if (!platform::DeleteFile(path)) return Fail(ZQ_ERR_WRITE_FAILED);
    ZqSetErrorStatus(ZQ_OK);
    return TRUE;
  });
}

ZQ_EXPORT LONG __hwrite(int file, const void* data, LONG count) {
  return zq::Guard<LONG>(0, [&]() -> LONG {
    if (!Known(file) || count < 0 || (count > 0 && !data)) return Error(ZQ_ERR_BAD_PARAMETER);
    LONG done = 0;
    const auto* p = static_cast<const char*>(data);
    while (done < count) {
      const ssize_t n = ::write(file, p + done, static_cast<std::size_t>(count - done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Error(ZQ_ERR_WRITE_FAILED);
      done += static_cast<LONG>(n);
    }
    ZqSetErrorStatus(ZQ_OK);
    return done;
  });
}

ZQ_EXPORT LONG __hread(int file, void* data, LONG count) {
  return zq::Guard<LONG>(0, [&]() -> LONG {
    if (!Known(file) || count < 0 || (count > 0 && !data)) return Error(ZQ_ERR_BAD_PARAMETER);
    LONG done = 0;
    auto* p = static_cast<char*>(data);
    while (done < count) {
      const ssize_t n = ::read(file, p + done, static_cast<std::size_t>(count - done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return Error(ZQ_ERR_DAMAGED);
      if (n == 0) break;
      done += static_cast<LONG>(n);
    }
    ZqSetErrorStatus(ZQ_OK);
    return done;
  });
}

ZQ_EXPORT LONG __llseek(int file, LONG offset, int origin) {
  return zq::Guard<LONG>(0, [&]() -> LONG {
    if (!Known(file) || origin < 0 || origin > 2) return Error(ZQ_ERR_BAD_PARAMETER);
    const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
    const off_t at = ::lseek(file, offset, whence);
    if (at < 0) return Error(ZQ_ERR_BAD_PARAMETER);
    if (at > std::numeric_limits<LONG>::max()) return Error(ZQ_ERR_TOO_LARGE);
    ZqSetErrorStatus(ZQ_OK);
    return static_cast<LONG>(at);
  });
}

ZQ_EXPORT LONG DataFileSize(int file) {
  return zq::Guard<LONG>(0, [&]() -> LONG {
    struct stat st {};
    if (!Known(file) || ::fstat(file, &st) != 0) return Error(ZQ_ERR_BAD_PARAMETER);
    return SizeFrom(st);
  });
}

ZQ_EXPORT LONG DataFileNameSize(LPCSTR path) {
  return zq::Guard<LONG>(0, [&]() -> LONG {
    struct stat st {};
    if (!path || ::stat(path, &st) != 0 || S_ISDIR(st.st_mode)) return Error(ZQ_ERR_FILE_NOT_FOUND);
    return SizeFrom(st);
  });
}
