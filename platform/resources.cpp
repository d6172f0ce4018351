#include "platform/resources.h"

#include <cstring>
#include <map>
#include <string>

#include "platform/text.h"

namespace {

std::map<UINT, std::string>& Table() {
  static std::map<UINT, std::string> table;
  return table;
}

}  // namespace

namespace platform {

void RegisterStringResources(std::span<const StringResource> table) {
  for (const auto& r : table) Table()[r.id] = r.text ? r.text : "";
}

}  // namespace platform

int LoadStringA(HINSTANCE, UINT id, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  const auto it = Table().find(id);
  if (it == Table().end()) {
    buffer[0] = '\0';
    return 0;
  }
  const std::string cut = platform::TruncateUtf8(it->second, static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, cut.data(), cut.size());
  buffer[cut.size()] = '\0';
  return static_cast<int>(cut.size());
}
