#include "platform/memory.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

struct Block {
  void* data = nullptr;
  std::size_t size = 0;
  unsigned locks = 0;
  std::size_t mapped = 0;  // bytes of an anonymous mapping, 0 for a heap block
};

// Large blocks (decoded images) are anonymous mappings in huge pages where the system
// offers them: the kernel hands them out zeroed, and a 36 MB picture then costs a few
// dozen page faults instead of thousands, which is most of the cost of filling it.
constexpr std::size_t kMapFrom = std::size_t{4} << 20;

std::size_t MappedSize(std::size_t bytes) {
  constexpr std::size_t huge = std::size_t{2} << 20;
  return (bytes + huge - 1) / huge * huge;
}

void* MapBlock(std::size_t bytes) {
  void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (data == MAP_FAILED) return nullptr;
  ::madvise(data, bytes, MADV_HUGEPAGE);
  return data;
}

void Release(const Block& b) {
  if (b.mapped) ::munmap(b.data, b.mapped);
  else std::free(b.data);
}

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
  Block block{nullptr, bytes, 0, 0};
  if (bytes >= kMapFrom) {
    block.mapped = MappedSize(bytes);
    block.data = MapBlock(block.mapped);
  } else {
    // malloc(0) may give null; every block has at least one byte behind it.
    block.data = (flags & GMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
  }
  if (!block.data) return 0;
  Table& t = table();
  std::lock_guard lock(t.mutex);
  const HGLOBAL h = NextHandle(t);
  t.blocks.emplace(h, block);
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
  Block block;
  {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.blocks.find(handle);
    if (it == t.blocks.end()) return handle;
    block = it->second;
    t.blocks.erase(it);
  }
  Release(block);
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
  if (b.mapped) {
    // A mapping grows or shrinks in place or moves; its new pages come zeroed.
    const std::size_t mapped = MappedSize(bytes ? bytes : 1);
    void* data = ::mremap(b.data, b.mapped, mapped, MREMAP_MAYMOVE);
    if (data == MAP_FAILED) return 0;
    if ((flags & GMEM_ZEROINIT) && bytes > b.size && b.size < b.mapped)
      std::memset(static_cast<char*>(data) + b.size, 0, std::min(bytes, b.mapped) - b.size);
    b.data = data;
    b.mapped = mapped;
    b.size = bytes;
    return handle;
  }
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
