// String resources: numbered texts of the program, looked up with LoadStringA.
#pragma once

#include <span>

#include "platform/wintypes.h"

struct StringResource {
  UINT id;
  const char* text;
};

// Copies the text of resource id into buffer (at most size - 1 bytes, cut at a
// character boundary, NUL-terminated) and returns the bytes copied; 0 when unknown.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size);

namespace platform {

// Adds a table of the program's string resources; a later table wins for an id.
void RegisterStringResources(std::span<const StringResource> table);

}  // namespace platform
