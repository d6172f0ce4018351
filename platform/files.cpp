#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include <QString>

namespace platform {

namespace {

bool StatPath(const std::string& path, struct stat& st) { return !path.empty() && ::stat(path.c_str(), &st) == 0; }

RenameResult FromErrno(int err) {
  switch (err) {
    case EEXIST:
    case ENOTEMPTY: return RenameResult::TargetExists;
    case ENOENT: return RenameResult::SourceMissing;
    case ENAMETOOLONG: return RenameResult::NameTooLong;
    case EACCES:
    case EPERM:
    case EROFS: return RenameResult::AccessDenied;
    default: return RenameResult::Failed;
  }
}

// The answers with which a file system says it cannot do what was asked at all, as
// opposed to refusing this rename.
bool Unsupported(int err) { return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == ENOTSUP; }

// Removes the empty placeholder that Reserve made, and nothing that has taken its place.
void RemovePlaceholder(const std::string& to, bool folder, const struct stat& made) {
  struct stat now {};
  if (::lstat(to.c_str(), &now) != 0 || now.st_dev != made.st_dev || now.st_ino != made.st_ino) return;
  if (folder) {
    ::rmdir(to.c_str());  // fails, and so keeps it, unless still empty
  } else if (S_ISREG(now.st_mode) && now.st_size == 0) {
    ::unlink(to.c_str());
  }
}

// Moves from onto to unless something has the name to; 0 or the errno that stopped it.
int MoveNoReplace(const std::string& from, const std::string& to, bool folder) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  int err = errno;
  if (!Unsupported(err)) return err;

  // The file system refuses the flag: a hard link fails on an existing target just
  // the same, and only then is the old name removed.
  if (!folder) {
    if (::link(from.c_str(), to.c_str()) == 0) {
      if (::unlink(from.c_str()) == 0) return 0;
      err = errno;
      ::unlink(to.c_str());
      return err;
    }
    err = errno;
    if (err != EPERM && err != EMLINK && !Unsupported(err)) return err;
  }

  // Neither the flag nor hard links (exFAT, FAT, many FUSE and network file systems):
  // reserve the new name by creating it exclusively, which fails when anything has that
  // name in any spelling the file system takes for it, then move the file onto the
  // reservation, which replaces only our own empty placeholder (a folder is moved onto
  // an empty folder). The window that remains: another process that deletes the
  // placeholder and puts an entry of its own under the name in the moment between the
  // two calls has that entry replaced. A process that only creates files cannot, since
  // the placeholder already holds the name.
  struct stat made {};
  if (folder) {
    if (::mkdir(to.c_str(), 0700) != 0 || ::lstat(to.c_str(), &made) != 0) return errno;
  } else {
    const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    const int statted = ::fstat(fd, &made);
    ::close(fd);
    if (statted != 0) return errno;
  }
  if (::rename(from.c_str(), to.c_str()) == 0) return 0;
  err = errno;
  RemovePlaceholder(to, folder, made);
  return err;
}

// Case and Unicode normalisation folded away, for names that a case-insensitive or
// normalising file system takes for one.
QString FoldedPath(const std::string& path) {
  return QString::fromUtf8(ExpandFileName(path)).normalized(QString::NormalizationForm_C).toCaseFolded();
}

// True when the folder of path holds an entry spelt exactly as path's name, so that the
// name is an entry of its own rather than another spelling the file system folds onto
// one. An unreadable folder counts as holding it.
bool HasExactEntry(const std::string& path) {
  const std::string dir = ExtractFileDir(path);
  const std::string name = ExtractFileName(path);
  std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(dir.empty() ? "." : dir.c_str()), ::closedir);
  if (!folder) return true;
  while (const dirent* entry = ::readdir(folder.get()))
    if (name == entry->d_name) return true;
  return false;
}

// True when the existing name to is only another spelling of from's own entry on a
// file system that folds case or normalisation: no entry is spelt exactly so, and it
// leads to the same device and inode, or the names differ only in case or normalisation
// (FUSE file systems such as exfat-fuse number each spelling as a node of its own).
bool IsOtherSpellingOf(const std::string& from, const struct stat& source, const std::string& to) {
  struct stat target {};
  if (::lstat(to.c_str(), &target) != 0 || HasExactEntry(to)) return false;
  if (target.st_dev == source.st_dev && target.st_ino == source.st_ino) return true;
  return FoldedPath(from) == FoldedPath(to);
}

// A case-only or normalisation-only change on a file system that takes both names for
// one: old name → a fresh temporary name in the same folder → new name, each step
// without replacing. Should the new name still exist once the old one is gone, it was
// another file after all: the old name comes back and the target is reported as existing.
RenameResult MoveThroughTemporary(const std::string& from, const std::string& to, bool folder) {
  static unsigned counter = 0;
  const std::string dir = ExtractFileDir(from);
  std::string temp;
  int err = EEXIST;
  for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
    temp = dir + ".tesmarin-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".tmp";
    err = MoveNoReplace(from, temp, folder);
  }
  if (err != 0) return FromErrno(err);
  err = MoveNoReplace(temp, to, folder);
  if (err == 0) return RenameResult::Ok;
  // Should the old name have been taken meanwhile, the file keeps the temporary name
  // rather than replace anything.
  MoveNoReplace(temp, from, folder);
  return FromErrno(err);
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool Match(std::string_view name, std::string_view pat) {
  // Iterative wildcard match with one backtrack point; '?' takes one whole character.
  std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pat.size() && pat[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pat.size() && pat[p] == '?') {
      n += CharLength(name, n);
      ++p;
    } else if (p < pat.size() && AsciiUpper(pat[p]) == AsciiUpper(name[n])) {
      ++n;
      ++p;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      starN += CharLength(name, starN);
      n = starN;
    } else {
      return false;
    }
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st {};
  return StatPath(path, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return StatPath(path, st) && S_ISDIR(st.st_mode);
}

std::string ExpandFileName(const std::string& path) {
  if (path.empty()) return {};
  std::error_code ec;
  auto abs = std::filesystem::absolute(std::filesystem::path(path), ec);
  if (ec) return path;
  std::string out = abs.lexically_normal().string();
  // lexically_normal keeps a trailing "/" for "a/b/"; a file path has none to keep.
  if (out.size() > 1 && out.back() == '/' && path.back() != '/') out.pop_back();
  return out;
}

bool DeleteFile(const std::string& path) { return !path.empty() && ::unlink(path.c_str()) == 0; }

std::optional<long long> FileSize(const std::string& path) {
  struct stat st {};
  if (!StatPath(path, st) || S_ISDIR(st.st_mode)) return std::nullopt;
  return static_cast<long long>(st.st_size);
}

std::optional<FileTimes> GetFileTimes(const std::string& path) {
  if (path.empty()) return std::nullopt;
  struct statx sx {};
  if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return std::nullopt;
  auto ts = [](const statx_timestamp& t) { return timespec{static_cast<time_t>(t.tv_sec), static_cast<long>(t.tv_nsec)}; };
  FileTimes times;
  times.creation = (sx.stx_mask & STATX_BTIME) ? ts(sx.stx_btime) : ts(sx.stx_ctime);
  times.lastWrite = ts(sx.stx_mtime);
  times.lastAccess = ts(sx.stx_atime);
  return times;
}

RenameResult RenameNoReplace(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return RenameResult::Failed;
  if (from.size() >= MaxPath || to.size() >= MaxPath || ExtractFileName(to).size() > 255)
    return RenameResult::NameTooLong;
  struct stat st {};
  if (::lstat(from.c_str(), &st) != 0) return FromErrno(errno);
  if (ExpandFileName(from) == ExpandFileName(to)) return RenameResult::Ok;

  const bool folder = S_ISDIR(st.st_mode);
  const int err = MoveNoReplace(from, to, folder);
  if (err == 0) return RenameResult::Ok;
  if (err == EEXIST && IsOtherSpellingOf(from, st, to)) return MoveThroughTemporary(from, to, folder);
  return FromErrno(err);
}

bool NameTaken(const std::string& from, const std::string& to) {
  struct stat target {};
  if (to.empty() || ::lstat(to.c_str(), &target) != 0) return false;
  if (ExpandFileName(from) == ExpandFileName(to)) return false;
  struct stat source {};
  return ::lstat(from.c_str(), &source) != 0 || !IsOtherSpellingOf(from, source, to);
}

std::string PrivateTempDir() {
  std::string base;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime && DirectoryExists(runtime)) {
    base = std::string(runtime) + "/tesmarin";
  } else {
    const char* tmp = std::getenv("TMPDIR");
    base = std::string(tmp && *tmp ? tmp : "/tmp") + "/tesmarin-" + std::to_string(::getuid());
  }
  if (::mkdir(base.c_str(), 0700) != 0 && errno != EEXIST) return {};
  // Never trust a folder somebody else made under our name.
  struct stat st {};
  if (::lstat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return {};
  if ((st.st_mode & 077) != 0 && ::chmod(base.c_str(), 0700) != 0) return {};
  return base + "/";
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  // "name.*" also matches "name" without a dot, as on Windows.
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      Match(name, pattern.substr(0, pattern.size() - 2)))
    return true;
  return Match(name, pattern);
}

}  // namespace platform

namespace {

struct FindState {
  std::string folder;
  std::string pattern;
  DIR* dir = nullptr;
  ~FindState() {
    if (dir) ::closedir(dir);
  }
};

bool NextMatch(FindState& state, WIN32_FIND_DATAA* data) {
  while (dirent* entry = ::readdir(state.dir)) {
    const std::string name = entry->d_name;
    if (!platform::MatchesWildcard(name, state.pattern)) continue;
    if (name.size() >= platform::MaxPath) continue;
    *data = WIN32_FIND_DATAA{};
    struct stat st {};
    const std::string full = state.folder + name;
    if (::stat(full.c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) data->dwFileAttributes |= FILE_ATTRIBUTE_DIRECTORY;
      if (::access(full.c_str(), W_OK) != 0) data->dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
      const auto size = static_cast<unsigned long long>(st.st_size);
      data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
      data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    }
    if (name[0] == '.' && name != "." && name != "..") data->dwFileAttributes |= FILE_ATTRIBUTE_HIDDEN;
    if (data->dwFileAttributes == 0) data->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    std::memcpy(data->cFileName, name.c_str(), name.size() + 1);
    return true;
  }
  return false;
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data) {
  if (!pattern || !data) return INVALID_HANDLE_VALUE;
  auto state = std::make_unique<FindState>();
  const std::string full = pattern;
  state->folder = platform::ExtractFileDir(full);
  state->pattern = platform::ExtractFileName(full);
  if (state->pattern.empty()) return INVALID_HANDLE_VALUE;
  state->dir = ::opendir(state->folder.empty() ? "." : state->folder.c_str());
  if (!state->dir) return INVALID_HANDLE_VALUE;
  if (!NextMatch(*state, data)) return INVALID_HANDLE_VALUE;
  return state.release();
}

BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
  if (!find || find == INVALID_HANDLE_VALUE || !data) return FALSE;
  return NextMatch(*static_cast<FindState*>(find), data) ? TRUE : FALSE;
}

BOOL FindClose(HANDLE find) {
  if (!find || find == INVALID_HANDLE_VALUE) return FALSE;
  delete static_cast<FindState*>(find);
  return TRUE;
}
