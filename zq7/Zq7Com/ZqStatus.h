// The engine's status of the last call, and the one way every export sets it.
//
// Every entry of every engine library runs its body through zq::Guard, so no exception
// crosses the C boundary, and reports through Ok and Fail. The status lives in Zq7Com;
// the other engine libraries reach it through ZqSetErrorStatus.
#pragma once

#include <new>
#include <stdexcept>

#include "zq7/Zq7Api.h"

ZQ_EXPORT WORD ZQGetErrorStatus();
// Sets the status the next ZQGetErrorStatus returns (for the other engine libraries).
ZQ_EXPORT void ZqSetErrorStatus(WORD status);

namespace zq {

// Success: the status ZQ_OK and the result value (TRUE when none is given).
inline BOOL Ok() {
  ZqSetErrorStatus(ZQ_OK);
  return TRUE;
}
template <typename R>
R Ok(R value) {
  ZqSetErrorStatus(ZQ_OK);
  return value;
}

// Failure: the status and the entry's failure value (FALSE when none is given).
inline BOOL Fail(WORD status) {
  ZqSetErrorStatus(status);
  return FALSE;
}
template <typename R>
R Fail(WORD status, R value) {
  ZqSetErrorStatus(status);
  return value;
}

// Ok when done, else the status given.
inline BOOL Result(bool done, WORD status) { return done ? Ok() : Fail(status); }

// Runs an entry's body and returns its result. Whatever it throws becomes a status and
// the failure value: running out of memory (or a size the library cannot hold) is
// ZQ_ERR_NO_MEMORY, anything else ZQ_ERR_DAMAGED, since only damaged data leads a
// reader there.
template <typename R, typename Body>
R Guard(R failure, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return Fail(ZQ_ERR_NO_MEMORY, failure);
  } catch (const std::length_error&) {
    return Fail(ZQ_ERR_NO_MEMORY, failure);
  } catch (...) {
    return Fail(ZQ_ERR_DAMAGED, failure);
  }
}

// The same for an entry whose work answers a status: sets it, and gives TRUE for ZQ_OK.
template <typename Body>
BOOL GuardStatus(Body&& body) noexcept {
  return Guard<BOOL>(FALSE, [&] {
    const WORD status = body();
    return status == ZQ_OK ? Ok() : Fail(status);
  });
}

}  // namespace zq
