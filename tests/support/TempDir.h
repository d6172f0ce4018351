// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <QColor>
#include <set>
#include <string>

namespace testsupport {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, ending in "/".
  const std::string& path() const { return path_; }
  // Writes a file below the folder and returns its path.
  std::string Write(const std::string& name, const std::string& contents) const;
  static std::string Read(const std::string& path);
  // Writes a picture of one colour below the folder (the format by the name's
  // extension) and returns its path, empty when it cannot be written.
  std::string WritePlainPicture(const std::string& name, int width, int height, QColor color) const;
  // The names in a folder, exactly as the file system spells them.
  static std::set<std::string> Names(const std::string& folder);

 private:
  std::string path_;
};

}  // namespace testsupport
