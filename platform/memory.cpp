#include "platform/memory.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

struct Block {
  void* data = nullptr;
  std::size_t size = 0;
  unsigned locks = 0;
};

// Handles are never reused soon after they are freed: a stale handle then finds no
// block instead of somebody else's.
struct Table {
  std::mutex mutex;
  std::unordered_map<HGLOBAL, Block> blocks;
  HGLOBAL next = 1;
};

Table& table() {
  static Table* t = new Table;  // lives until exit, so late frees from static destructors are safe
  return *t;
}

HGLOBAL NextHandle(Table& t) {
  for (;;) {
    HGLOBAL h = t.next++;
    if (t.next == 0) t.next = 1;
    if (h != 0 && !t.blocks.contains(h)) return h;
  }
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes) {
  // malloc(0) may give null; every block has at least one byte behind it.
  void* data = (flags & GMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
  if (!data) return 0;
  Table& t = table();
  std::lock_guard lock(t.mutex);
  const HGLOBAL h = NextHandle(t);
  t.blocks.emplace(h, Block{data, bytes, 0});
  return h;
}

void* GlobalLock(HGLOBAL handle) {
  if (handle == 0) return nullptr;
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.blocks.find(handle);
  if (it == t.blocks.end()) return nullptr;
  ++it->second.locks;
  return it->second.data;
}

BOOL GlobalUnlock(HGLOBAL handle) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.blocks.find(handle);
  if (it == t.blocks.end() || it->second.locks == 0) return FALSE;
  --it->second.locks;
  return it->second.locks > 0 ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL handle) {
  void* data = nullptr;
  {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.blocks.find(handle);
    if (it == t.blocks.end()) return handle;
    data = it->second.data;
    t.blocks.erase(it);
  }
  std::free(data);
  return 0;
}

std::size_t GlobalSize(HGLOBAL handle) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.blocks.find(handle);
  return it == t.blocks.end() ? 0 : it->second.size;
}

HGLOBAL GlobalReAlloc(HGLOBAL handle, std::size_t bytes, UINT flags) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.blocks.find(handle);
  if (it == t.blocks.end()) return 0;
  Block& b = it->second;
  void* data = std::realloc(b.data, bytes ? bytes : 1);
  if (!data) return 0;
  if ((flags & GMEM_ZEROINIT) && bytes > b.size) std::memset(static_cast<char*>(data) + b.size, 0, bytes - b.size);
  b.data = data;
  b.size = bytes;
  return handle;
}

std::size_t GlobalBlockCount() {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  return t.blocks.size();
}
