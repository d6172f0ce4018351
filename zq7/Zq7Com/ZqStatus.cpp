#include "zq7/Zq7Com/ZqStatus.h"

namespace {
// Everything runs on the user-interface thread; one status for the process is what the
// callers expect to read right after their call.
WORD g_status = ZQ_OK;
}  // namespace

ZQ_EXPORT WORD ZQGetErrorStatus() { return g_status; }

ZQ_EXPORT void ZqSetErrorStatus(WORD status) { g_status = status; }
