// Progress reporting of one decode: turns "rows done of rows total" into the percentage
// the caller's callback gets, calls it only when the percentage moves, and remembers a
// 0 answer so that every later step of the decode sees the cancellation.
#pragma once

#include <cstdint>

#include "zq7/Zq7Api.h"

class ZqProgress {
 public:
  // A null callback makes every step succeed without a call.
  explicit ZqProgress(ZqProgressProc callback) : callback_(callback) {}

  // Reports done / total (clamped to 0..100); false once the callback answered 0.
  bool Step(std::uint64_t done, std::uint64_t total);
  // Reports 100 at the end of a successful decode, once.
  bool Finish() { return Step(1, 1); }

 private:
  ZqProgressProc callback_;
  int last_ = -1;
  bool cancelled_ = false;
};
