#include "platform/profile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/text.h"

namespace platform {

EIniFileException::EIniFileException(const std::string& path) : std::runtime_error(path + " に書き込めません") {}

namespace {

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return std::string(s.substr(b, e - b));
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// A "[name]" line gives the section name.
bool SectionName(const std::string& line, std::string& name) {
  const std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
  name = Trim(std::string_view(t).substr(1, t.size() - 2));
  return true;
}

// A "key=value" line gives the key and the value, both trimmed.
bool KeyValue(const std::string& line, std::string& key, std::string& value) {
  const auto eq = line.find('=');
  if (eq == std::string::npos) return false;
  key = Trim(std::string_view(line).substr(0, eq));
  value = Trim(std::string_view(line).substr(eq + 1));
  return !key.empty();
}

bool Same(const std::string& a, const std::string& b) { return UpperCase(a) == UpperCase(b); }

std::string FindValue(const std::vector<std::string>& lines, const std::string& section, const std::string& ident,
                      const std::string& def) {
  bool inSection = false;
  for (const auto& line : lines) {
    std::string name, key, value;
    if (SectionName(line, name)) {
      inSection = Same(name, section);
    } else if (inSection && KeyValue(line, key, value) && Same(key, ident)) {
      // A quoted value is read without its quotes, as private profile reads do.
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
      return value;
    }
  }
  return def;
}

// Sets the key in its section, adding the key at the section's end or the section at
// the file's end when missing.
void SetValue(std::vector<std::string>& lines, const std::string& section, const std::string& ident,
              const std::string& value) {
  const std::string entry = ident + "=" + value;
  bool inSection = false;
  std::size_t sectionEnd = std::string::npos;  // index after the last line of the section
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string name, key, v;
    if (SectionName(lines[i], name)) {
      if (inSection) break;
      inSection = Same(name, section);
      if (inSection) sectionEnd = i + 1;
    } else if (inSection) {
      if (KeyValue(lines[i], key, v) && Same(key, ident)) {
        lines[i] = entry;
        return;
      }
      if (!Trim(lines[i]).empty()) sectionEnd = i + 1;
    }
  }
  if (sectionEnd == std::string::npos) {
    lines.push_back("[" + section + "]");
    lines.push_back(entry);
  } else {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), entry);
  }
}

// The file a write replaces: a symbolic link's target, so the link stays a link.
std::string WriteTarget(const std::string& path) {
  char resolved[PATH_MAX];
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::realpath(path.c_str(), resolved)) return resolved;
  return path;
}

// Creates a sibling of target under a name nobody can guess, never through an existing
// name or a link planted there.
int CreateSibling(const std::string& target, std::string& sibling) {
  const auto slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  static const char kHex[] = "0123456789abcdef";
  for (int attempt = 0; attempt < 16; ++attempt) {
    unsigned char random[8];
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) return -1;
    sibling = folder + "." + name + ".";
    for (const unsigned char b : random) {
      sibling += kHex[b >> 4];
      sibling += kHex[b & 0xF];
    }
    const int fd = ::open(sibling.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void WriteAtomically(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  const std::string target = WriteTarget(path);
  std::string sibling;
  const int fd = CreateSibling(target, sibling);
  if (fd < 0) throw EIniFileException(path);
  bool ok = true;
  // The replacement keeps the old file's mode (and its owner, where we may set it).
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) (void)!::fchown(fd, old.st_uid, old.st_gid);
  }
  for (std::size_t done = 0; ok && done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (!ok || std::rename(sibling.c_str(), target.c_str()) != 0) {
    ::unlink(sibling.c_str());
    throw EIniFileException(path);
  }
}

}  // namespace

long long TCustomIniFile::ReadInteger(const std::string& section, const std::string& ident, long long def) const {
  const auto v = ParseProfileInt(ReadString(section, ident, ""));
  return v ? *v : def;
}

bool TCustomIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) const {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteInteger(const std::string& section, const std::string& ident, long long value) {
  WriteString(section, ident, std::to_string(value));
}

void TCustomIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) const {
  return FindValue(ReadLines(FileName()), section, ident, def);
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  std::vector<std::string> lines = ReadLines(FileName());
  SetValue(lines, section, ident, value);
  WriteAtomically(FileName(), lines);
}

TMemIniFile::TMemIniFile(std::string fileName) : TCustomIniFile(std::move(fileName)), lines_(ReadLines(FileName())) {}

std::string TMemIniFile::ReadString(const std::string& section, const std::string& ident,
                                    const std::string& def) const {
  return FindValue(lines_, section, ident, def);
}

void TMemIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  SetValue(lines_, section, ident, value);
}

void TMemIniFile::UpdateFile() const { WriteAtomically(FileName(), lines_); }

}  // namespace platform
