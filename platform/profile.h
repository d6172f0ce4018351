// The INI file classes the settings use, with private profile semantics: sections and
// keys are matched without case, a value in double quotes is read without them, lines a
// write does not touch are kept as they are, and the file is replaced atomically (a
// sibling of an unpredictable name is written, then renamed over it), keeping the old
// file's mode and writing through a symbolic link to its target.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

// Raised when a settings file cannot be written; the message names the file.
class EIniFileException : public std::runtime_error {
 public:
  explicit EIniFileException(const std::string& path);
};

// The reading and conversion rules both classes share.
class TCustomIniFile {
 public:
  explicit TCustomIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
  virtual ~TCustomIniFile() = default;

  const std::string& FileName() const { return fileName_; }

  virtual std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) const = 0;
  // A 32-bit integer, decimal or hexadecimal with "0x"; anything else gives the default.
  long long ReadInteger(const std::string& section, const std::string& ident, long long def) const;
  // Any number other than 0 is true.
  bool ReadBool(const std::string& section, const std::string& ident, bool def) const;

  virtual void WriteString(const std::string& section, const std::string& ident, const std::string& value) = 0;
  void WriteInteger(const std::string& section, const std::string& ident, long long value);
  void WriteBool(const std::string& section, const std::string& ident, bool value);  // "1" / "0"

 private:
  std::string fileName_;
};

// Every read reads the file, every write replaces it.
class TIniFile final : public TCustomIniFile {
 public:
  using TCustomIniFile::TCustomIniFile;
  std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) const override;
  void WriteString(const std::string& section, const std::string& ident, const std::string& value) override;
};

// The file read once into memory; writes change the memory, and UpdateFile replaces the
// file once with all of them, so a set of settings is written in one replacement.
class TMemIniFile final : public TCustomIniFile {
 public:
  explicit TMemIniFile(std::string fileName);
  std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) const override;
  void WriteString(const std::string& section, const std::string& ident, const std::string& value) override;
  // Raises EIniFileException when the file cannot be replaced.
  void UpdateFile() const;

 private:
  std::vector<std::string> lines_;
};

}  // namespace platform
