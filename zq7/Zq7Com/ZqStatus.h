// The engine's status of the last call. Every entry of every engine library sets it;
// the other engine libraries reach it through ZqSetErrorStatus.
#pragma once

#include "zq7/Zq7Api.h"

ZQ_EXPORT WORD ZQGetErrorStatus();
// Sets the status the next ZQGetErrorStatus returns (for the other engine libraries).
ZQ_EXPORT void ZqSetErrorStatus(WORD status);

namespace zq {

// Runs body and returns its result; running out of memory inside becomes the status
// ZQ_ERR_NO_MEMORY and the fallback, so no exception crosses an entry's boundary.
template <typename R, typename Body>
R NoThrow(R fallback, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    ZqSetErrorStatus(ZQ_ERR_NO_MEMORY);
    return fallback;
  }
}

}  // namespace zq
