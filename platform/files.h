// File operations with the Windows shapes the system uses: existence, full paths,
// deletion, file times, wildcard directory search, a rename that never replaces an
// existing file, and the per-user private folder for transient files.
#pragma once

#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "platform/text.h"
#include "platform/wintypes.h"

namespace platform {

bool FileExists(const std::string& path);       // an existing entry that is not a folder
bool DirectoryExists(const std::string& path);
// The absolute, lexically normalised path ("." and ".." resolved, links kept).
std::string ExpandFileName(const std::string& path);
bool DeleteFile(const std::string& path);
std::optional<long long> FileSize(const std::string& path);

struct FileTimes {
  timespec creation{};    // birth time where the file system records it, else change time
  timespec lastWrite{};
  timespec lastAccess{};
};
std::optional<FileTimes> GetFileTimes(const std::string& path);

// Why a rename did not happen.
enum class RenameResult { Ok, TargetExists, SourceMissing, NameTooLong, AccessDenied, Failed };
// Renames from onto to unless to exists, on every file system: with the kernel's
// no-replace flag, else a hard link, else an exclusive reservation of the new name (exFAT,
// FAT, FUSE and network shares). A change of case or normalisation only (DSC0001.JPG to
// DSC0001.jpg) also works where the file system takes both names for one file. A rename
// onto the file's own name succeeds and changes nothing.
RenameResult RenameNoReplace(const std::string& from, const std::string& to);
// True when renaming from onto to would be refused because to names another existing
// entry; another spelling of from's own entry is not taken. Changes nothing.
bool NameTaken(const std::string& from, const std::string& to);

// The per-user private folder for transient files (mode 0700, owned by the user),
// created when missing; ends in "/". Empty when no safe folder can be had.
std::string PrivateTempDir();

// Windows wildcard match: '*' any run, '?' one character; letters compared without
// case; "*.*" matches every name, with or without a dot.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

// Owns a C stream and closes it at the end of the scope.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using ScopedFile = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace platform

// Directory search in the FindFirstFile shape.
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes = 0;
  DWORD nFileSizeHigh = 0;
  DWORD nFileSizeLow = 0;
  char cFileName[platform::MaxPath] = {};
};

using HANDLE = void*;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(-1);

// pattern is a folder and a name pattern ("/photos/*.jpg"); "." and ".." are reported
// as Windows reports them.
HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data);
BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data);
BOOL FindClose(HANDLE find);

namespace platform {
// A directory search for the scope: FindFirstFileA at the start, FindClose at the end.
class ScopedFind {
 public:
  ScopedFind(LPCSTR pattern, WIN32_FIND_DATAA* data) : find_(::FindFirstFileA(pattern, data)) {}
  ~ScopedFind() {
    if (*this) ::FindClose(find_);
  }
  ScopedFind(const ScopedFind&) = delete;
  ScopedFind& operator=(const ScopedFind&) = delete;
  // Whether the search found a first entry.
  explicit operator bool() const { return find_ != INVALID_HANDLE_VALUE; }
  BOOL Next(WIN32_FIND_DATAA* data) { return ::FindNextFileA(find_, data); }

 private:
  HANDLE find_;
};
}  // namespace platform
