#include "tests/support/TempDir.h"

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string templ = std::string(base && *base ? base : "/tmp") + "/tesmarin-test-XXXXXX";
  if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
  path_ = templ + "/";
}

TempDir::~TempDir() {
  std::error_code ec;
  // Read-only folders made by a test must not stop the clean-up.
  for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& name, const std::string& contents) const {
  const std::string p = path_ + name;
  std::ofstream(p, std::ios::binary) << contents;
  return p;
}

std::string TempDir::WritePlainPicture(const std::string& name, int width, int height, QColor color) const {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(color);
  const std::string p = path_ + name;
  return image.save(QString::fromStdString(p)) ? p : std::string();
}

std::string TempDir::Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> TempDir::Names(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) names.insert(entry.path().filename().string());
  return names;
}

}  // namespace testsupport
