#include "platform/modules.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/text.h"

namespace platform {

std::string ExecutableDir() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return ExtractFileDir(exe.string());
}

std::string MapLibraryName(const std::string& name) {
  const std::string ext = ExtractFileExt(name);
  if (UpperCase(ext) == ".DLL") return RemoveFileExt(name) + ".so";
  return name;
}

}  // namespace platform

HMODULE LoadLibraryA(LPCSTR name) {
  if (!name || !*name) return nullptr;
  const std::string mapped = platform::MapLibraryName(name);
  if (mapped.find('/') == std::string::npos) {
    const std::string beside = platform::ExecutableDir() + mapped;
    if (::access(beside.c_str(), F_OK) == 0) {
      if (void* h = ::dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
    }
  }
  return ::dlopen(mapped.c_str(), RTLD_NOW | RTLD_LOCAL);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  if (!module || !name) return nullptr;
  void* sym = ::dlsym(module, name);
  return reinterpret_cast<FARPROC>(sym);
}

BOOL FreeLibrary(HMODULE module) {
  if (!module) return FALSE;
  return ::dlclose(module) == 0 ? TRUE : FALSE;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  std::string path;
  if (!module) {
    std::error_code ec;
    path = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    if (ec) path.clear();
  } else {
    link_map* map = nullptr;
    if (::dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name) path = map->l_name;
  }
  if (path.empty()) {
    buffer[0] = '\0';
    return 0;
  }
  const std::string cut = platform::TruncateUtf8(path, size - 1);
  std::memcpy(buffer, cut.data(), cut.size());
  buffer[cut.size()] = '\0';
  return static_cast<DWORD>(cut.size());
}
