#include "zq7/Zq7File/ZqProgress.h"

bool ZqProgress::Step(std::uint64_t done, std::uint64_t total) {
  if (cancelled_) return false;
  if (!callback_) return true;
  int percent = 100;
  if (total > 0 && done < total) percent = static_cast<int>(done * 100 / total);
  if (percent == last_) return true;
  last_ = percent;
  if (!callback_(percent)) cancelled_ = true;
  return !cancelled_;
}
