#include "app/FolderScan.h"

#include <algorithm>
#include <iterator>

#include "platform/files.h"
#include "platform/text.h"

bool HasImageExtension(const std::string& path) {
  static const char* const kExtensions[] = {".BMP", ".JPG", ".JPEG", ".GIF", ".TIF", ".TIFF",
                                            ".PCX", ".FPX", ".PNG",  ".J2K", ".JP2"};
  const std::string ext = platform::ExtractFileExt(path);
  return !ext.empty() && std::any_of(std::begin(kExtensions), std::end(kExtensions),
                                     [&](const char* e) { return platform::SameTextI(ext, e); });
}

std::vector<std::string> ImagesInFolder(const std::string& folder) {
  std::string dir = folder;
  if (dir.empty() || dir.back() != '/') dir += '/';
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return {};
  do {
    const std::string name = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && HasImageExtension(name)) names.push_back(name);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return platform::CompareTextI(a, b) < 0; });
  std::vector<std::string> paths;
  for (const auto& name : names)
    if (dir.size() + name.size() < platform::MaxPath) paths.push_back(dir + name);
  return paths;
}
