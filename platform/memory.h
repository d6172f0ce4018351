// Global memory handles with Windows semantics over one process-wide table.
// A handle is a 32-bit number, 0 for none; a freed or unknown handle is refused
// (null lock, zero size) rather than trusted, so misuse never touches freed memory.
#pragma once

#include <cstddef>

#include "platform/wintypes.h"

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes);
// The block's address, and one more lock; null for 0, a freed or an unknown handle.
void* GlobalLock(HGLOBAL handle);
// One lock less; FALSE once no lock is left (or for a bad handle), as on Windows.
BOOL GlobalUnlock(HGLOBAL handle);
// Frees the block; returns 0 on success and the handle itself when it is not valid.
HGLOBAL GlobalFree(HGLOBAL handle);
std::size_t GlobalSize(HGLOBAL handle);
// Resizes the block keeping its contents (and zeroing the growth with GMEM_ZEROINIT).
// Returns the same handle, or 0 when the handle is bad or memory is short; the
// block is then unchanged.
HGLOBAL GlobalReAlloc(HGLOBAL handle, std::size_t bytes, UINT flags);
// Number of live blocks: lets tests prove that nothing leaked.
std::size_t GlobalBlockCount();

namespace platform {

// Locks a handle for the guard's lifetime.
class GlobalLockGuard {
 public:
  explicit GlobalLockGuard(HGLOBAL handle) : handle_(handle), data_(::GlobalLock(handle)) {}
  ~GlobalLockGuard() {
    if (data_) ::GlobalUnlock(handle_);
  }
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;

  void* get() const { return data_; }
  template <typename T>
  T* as() const { return static_cast<T*>(data_); }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  HGLOBAL handle_;
  void* data_;
};

}  // namespace platform
