// Basic Windows scalar and handle types as the rest of the system expects them.
// Handles that cross the engine boundary (HGLOBAL) stay 32-bit, as they were on the
// original platform; objects that live only inside this process use pointers.
#pragma once

#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using SHORT = std::int16_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;

// A global memory handle: an index into the process-wide table, 0 for none.
using HGLOBAL = std::uint32_t;
using HMODULE = void*;
using HINSTANCE = HMODULE;
using FARPROC = void (*)();

#ifndef TRUE
constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
#endif
