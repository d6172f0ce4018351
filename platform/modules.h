// Run-time loading of shared libraries with the Windows calling shapes.
// A name ending in ".DLL" (any case) is mapped to ".so"; a bare name is looked for in
// the executable's folder first, then along the dynamic linker's path. Failures give
// null without a message.
#pragma once

#include <string>

#include "platform/wintypes.h"

HMODULE LoadLibraryA(LPCSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
// Copies the file path of the module (the executable for null) into buffer, cut to
// size - 1 bytes and NUL-terminated; returns the bytes copied, 0 on failure.
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

namespace platform {

// The folder of the running executable, ending in "/".
std::string ExecutableDir();
// The name LoadLibraryA really opens for a given name (".DLL" mapped to ".so").
std::string MapLibraryName(const std::string& name);

}  // namespace platform
