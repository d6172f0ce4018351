#include "zq7/Zq7Com/ZqPath.h"

#include <charconv>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/files.h"
#include "zq7/Zq7Com/ZqStatus.h"

namespace {

using zq::Fail;
using zq::Ok;

// Copies text into a buffer of capacity bytes; false when it does not fit.
bool CopyOut(const std::string& text, LPSTR out, std::size_t capacity) {
  if (text.size() >= capacity) return false;
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}

// Folder text without a final "/", the root kept as "/".
std::string WithoutTerm(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

// Where a page designation starts in path, or npos.
std::size_t PageMark(std::string_view path, int* page) {
  const std::size_t bar = path.rfind('|');
  if (bar == std::string_view::npos || bar == 0) return std::string_view::npos;
  const std::string_view digits = path.substr(bar + 1);
  if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string_view::npos)
    return std::string_view::npos;
  int value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size() || value > kZqAllPages) return std::string_view::npos;
  if (platform::FileExists(std::string(path))) return std::string_view::npos;
  if (page) *page = value;
  return bar;
}

std::string DateText(const timespec& t) {
  std::tm local{};
  const time_t seconds = t.tv_sec;
  if (!localtime_r(&seconds, &local)) return {};
  char text[kZqDateTextLength] = {};
  if (std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local) != 14) return {};
  return text;
}

BOOL FileDates(const std::string& path, LPSTR creation, LPSTR lastWrite, LPSTR lastAccess) {
  const auto times = platform::GetFileTimes(path);
  if (!times || platform::DirectoryExists(path)) return Fail(ZQ_ERR_FILE_NOT_FOUND);
  const std::pair<LPSTR, const timespec*> outs[] = {
      {creation, &times->creation}, {lastWrite, &times->lastWrite}, {lastAccess, &times->lastAccess}};
  for (const auto& [buffer, time] : outs) {
    if (!buffer) continue;
    const std::string text = DateText(*time);
    if (text.empty()) return Fail(ZQ_ERR_BAD_PARAMETER);
    CopyOut(text, buffer, kZqDateTextLength);
  }
  return Ok();
}

std::string JoinPath(LPCSTR directory, LPCSTR fileName) {
  std::string path = directory;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + fileName;
}

// The entries of a list separated by any of separators, blanks around them removed,
// empty ones left out.
std::vector<std::string> SplitList(std::string_view list, std::string_view separators) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find_first_of(separators, start);
    if (end == std::string_view::npos) end = list.size();
    std::string_view item = list.substr(start, end - start);
    while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
    while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
    if (!item.empty()) out.emplace_back(item);
    start = end + 1;
  }
  return out;
}

bool HasWildcard(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

// "*.jpg", ".jpg" and "jpg" give "jpg"; "*" and "*.*" give "*".
std::string ExtensionOf(std::string_view item) {
  if (item == "*" || item == "*.*") return "*";
  if (item.starts_with("*.")) item.remove_prefix(2);
  else if (item.starts_with(".")) item.remove_prefix(1);
  return std::string(item);
}

int TableLength(const ZqExtSlot* table) {
  int n = 0;
  while (n < kZqExtEntries && table[n][0] != '\0') ++n;
  return n;
}

}  // namespace

ZQ_EXPORT BOOL IsSetDrive(LPCSTR path) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!path || !*path) return Fail(ZQ_ERR_BAD_PARAMETER);
    ZqSetErrorStatus(ZQ_OK);
    const std::string_view p(path);
    if (p.front() != '/') return TRUE;
    const std::size_t next = p.find('/', 1);
    if (next == 1 || p.size() == 1) return TRUE;  // the root itself
    const std::string first(p.substr(0, next == std::string_view::npos ? p.size() : next));
    if (next == std::string_view::npos) return platform::FileExists(first) || platform::DirectoryExists(first);
    return platform::DirectoryExists(first) ? TRUE : FALSE;
  });
}

ZQ_EXPORT BOOL SetTermYEN(LPSTR path) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!path) return Fail(ZQ_ERR_BAD_PARAMETER);
    const std::size_t n = std::strlen(path);
    if (n == 0 || path[n - 1] == '/') return Ok();
    if (n + 2 > platform::MaxPath) return Fail(ZQ_ERR_BAD_PARAMETER);
    path[n] = '/';
    path[n + 1] = '\0';
    return Ok();
  });
}

ZQ_EXPORT BOOL CutTermYEN(LPSTR path) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!path) return Fail(ZQ_ERR_BAD_PARAMETER);
    const std::string cut = WithoutTerm(path);
    std::memcpy(path, cut.c_str(), cut.size() + 1);
    return Ok();
  });
}

ZQ_EXPORT BOOL GetFullpathFilename(LPCSTR path, LPSTR directory, LPSTR fileName) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!path || !*path || !directory || !fileName) return Fail(ZQ_ERR_BAD_PARAMETER);
    const std::string full = platform::ExpandFileName(path);
    const std::string name = platform::ExtractFileName(full);
    if (name.empty() || name == "." || name == "..") return Fail(ZQ_ERR_BAD_PARAMETER);
    const std::string dir = WithoutTerm(platform::ExtractFileDir(full));
    if (dir.size() >= platform::MaxPath || name.size() >= platform::MaxPath) return Fail(ZQ_ERR_BAD_PARAMETER);
    CopyOut(dir, directory, platform::MaxPath);
    CopyOut(name, fileName, platform::MaxPath);
    return Ok();
  });
}

ZQ_EXPORT int GetPagefromFilename(LPCSTR path) {
  return zq::Guard<int>(0, [&]() -> int {
    if (!path) return Fail(ZQ_ERR_BAD_PARAMETER);
    int page = 0;
    PageMark(path, &page);
    ZqSetErrorStatus(ZQ_OK);
    return page;
  });
}

ZQ_EXPORT BOOL CutPagefromFilename(LPSTR path) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!path) return Fail(ZQ_ERR_BAD_PARAMETER);
    const std::size_t mark = PageMark(path, nullptr);
    ZqSetErrorStatus(ZQ_OK);
    if (mark == std::string_view::npos) return FALSE;
    path[mark] = '\0';
    return TRUE;
  });
}

ZQ_EXPORT BOOL GetFileDateTime(LPCSTR fileName, LPCSTR directory, LPSTR lastWrite) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!fileName || !directory || !lastWrite) return Fail(ZQ_ERR_BAD_PARAMETER);
    return FileDates(JoinPath(directory, fileName), nullptr, lastWrite, nullptr);
  });
}

ZQ_EXPORT BOOL GetFileDateTimeEx(LPCSTR fileName, LPCSTR directory, LPSTR creation, LPSTR lastWrite, LPSTR lastAccess) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!fileName || !directory) return Fail(ZQ_ERR_BAD_PARAMETER);
    return FileDates(JoinPath(directory, fileName), creation, lastWrite, lastAccess);
  });
}

ZQ_EXPORT BOOL GetPathFileDateTime(LPCSTR path, LPSTR lastWrite) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!path || !lastWrite) return Fail(ZQ_ERR_BAD_PARAMETER);
    return FileDates(path, nullptr, lastWrite, nullptr);
  });
}

ZQ_EXPORT int GetPathFileExt(LPCSTR pathList, LPCSTR extList, ZqExtSlot* table) {
  return zq::Guard<int>(0, [&]() -> int {
    if (!table) return Fail(ZQ_ERR_BAD_PARAMETER);
    std::vector<std::string> items;
    if (extList && *extList) {
      for (const std::string& item : SplitList(extList, ";, \t")) items.push_back(ExtensionOf(item));
    } else if (pathList) {
      for (const std::string& entry : SplitList(pathList, ";")) {
        const std::string name = platform::ExtractFileName(entry);
        if (HasWildcard(name) && !platform::DirectoryExists(entry)) items.push_back(ExtensionOf(name));
      }
    }
    int n = 0;
    for (const std::string& ext : items) {
      if (n == kZqExtEntries) break;
      if (ext.empty() || ext.size() >= static_cast<std::size_t>(kZqExtLength)) continue;
      bool seen = false;
      for (int i = 0; i < n && !seen; ++i) seen = platform::UpperCase(table[i]) == platform::UpperCase(ext);
      if (!seen) CopyOut(ext, table[n++], kZqExtLength);
    }
    if (n < kZqExtEntries) table[n][0] = '\0';
    ZqSetErrorStatus(n > 0 ? WORD{ZQ_OK} : WORD{ZQ_ERR_BAD_PARAMETER});
    return n;
  });
}

ZQ_EXPORT BOOL GetPathDir(int index, LPCSTR pathList, LPSTR directory) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    if (!pathList || !directory || index < 0) return Fail(ZQ_ERR_BAD_PARAMETER);
    const std::vector<std::string> entries = SplitList(pathList, ";");
    if (static_cast<std::size_t>(index) >= entries.size()) return Fail(ZQ_ERR_BAD_PARAMETER);
    const std::string& entry = entries[static_cast<std::size_t>(index)];
    std::string dir = entry;
    if (HasWildcard(platform::ExtractFileName(entry)) && !platform::DirectoryExists(entry)) {
      dir = platform::ExtractFileDir(entry);
      if (dir.empty()) dir.assign(1, '.');  // a bare pattern means the current folder
    }
    if (!CopyOut(WithoutTerm(dir), directory, platform::MaxPath)) return Fail(ZQ_ERR_BAD_PARAMETER);
    return Ok();
  });
}

ZQ_EXPORT int GetFileExt(LPCSTR fileName, LPSTR ext, const ZqExtSlot* table) {
  return zq::Guard<int>(0, [&]() -> int {
    if (!fileName || !ext || !table) return Fail(ZQ_ERR_BAD_PARAMETER);
    ext[0] = '\0';
    const std::string dotted = platform::ExtractFileExt(fileName);
    const std::string own = dotted.empty() ? std::string() : dotted.substr(1);
    ZqSetErrorStatus(ZQ_OK);
    if (own.empty() || own.size() >= static_cast<std::size_t>(kZqExtLength)) return 0;
    const std::string upper = platform::UpperCase(own);
    const int n = TableLength(table);
    for (int i = 0; i < n; ++i) {
      if (std::strcmp(table[i], "*") == 0 || platform::UpperCase(table[i]) == upper) {
        CopyOut(own, ext, kZqExtLength);
        return i + 1;
      }
    }
    return 0;
  });
}

ZQ_EXPORT BOOL IsOkFileExt(LPCSTR fileName, const ZqExtSlot* table) {
  return zq::Guard<BOOL>(FALSE, [&]() -> BOOL {
    char ext[kZqExtLength];
    return GetFileExt(fileName, ext, table) > 0 ? TRUE : FALSE;
  });
}
