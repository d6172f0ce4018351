// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

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
  // The names in a folder, exactly as the file system spells them.
  static std::set<std::string> Names(const std::string& folder);

 private:
  std::string path_;
};

}  // namespace testsupport
