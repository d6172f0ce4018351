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

  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return RenameResult::Ok;
  const int err = errno;
  if (err != EINVAL && err != ENOSYS && err != EOPNOTSUPP) return FromErrno(err);

  // The file system refuses the flag: a hard link fails on an existing target just
  // the same, and only then is the old name removed.
  if (::link(from.c_str(), to.c_str()) == 0) {
    if (::unlink(from.c_str()) == 0) return RenameResult::Ok;
    const int unlinkErr = errno;
    ::unlink(to.c_str());
    return FromErrno(unlinkErr);
  }
  return FromErrno(errno);
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
