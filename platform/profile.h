// The INI file class the settings use, with private profile semantics: sections and
// keys are matched without case, lines it does not touch are kept as they are, and
// every write replaces the file atomically (a sibling is written, then renamed over).
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// Raised when a settings file cannot be written; the message names the file.
class EIniFileException : public std::runtime_error {
 public:
  explicit EIniFileException(const std::string& path);
};

class TIniFile {
 public:
  explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) const;
  // Decimal, or hexadecimal with "0x"; anything else gives the default.
  long long ReadInteger(const std::string& section, const std::string& ident, long long def) const;
  // Any number other than 0 is true.
  bool ReadBool(const std::string& section, const std::string& ident, bool def) const;

  void WriteString(const std::string& section, const std::string& ident, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& ident, long long value);
  void WriteBool(const std::string& section, const std::string& ident, bool value);  // "1" / "0"

 private:
  std::string fileName_;
};

}  // namespace platform
