// The engine's status of the last call. Every entry of every engine library sets it;
// the other engine libraries reach it through ZqSetErrorStatus.
#pragma once

#include "zq7/Zq7Api.h"

ZQ_EXPORT WORD ZQGetErrorStatus();
// Sets the status the next ZQGetErrorStatus returns (for the other engine libraries).
ZQ_EXPORT void ZqSetErrorStatus(WORD status);
