#include "platform/profile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

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

void WriteAtomically(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  const std::string tmp = path + ".tmp" + std::to_string(::getpid());
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw EIniFileException(path);
  bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    throw EIniFileException(path);
  }
}

}  // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) const {
  bool inSection = false;
  for (const auto& line : ReadLines(fileName_)) {
    std::string name, key, value;
    if (SectionName(line, name)) {
      inSection = Same(name, section);
    } else if (inSection && KeyValue(line, key, value) && Same(key, ident)) {
      return value;
    }
  }
  return def;
}

long long TIniFile::ReadInteger(const std::string& section, const std::string& ident, long long def) const {
  const auto v = ParseProfileInt(ReadString(section, ident, ""));
  return v ? *v : def;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) const {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  std::vector<std::string> lines = ReadLines(fileName_);
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
        WriteAtomically(fileName_, lines);
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
  WriteAtomically(fileName_, lines);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, long long value) {
  WriteString(section, ident, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

}  // namespace platform
