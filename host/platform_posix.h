// Everywhere but Windows: the few Windows types and constants the plugin uses,
// with the widths they have on 64-bit Windows (DWORD is 32 bits there), and the
// tick call, which the stand-in host defines. Include through host/platform.h.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using BOOL = std::int32_t;
using INT32 = std::int32_t;
using UINT64 = std::uint64_t;
using LPVOID = void*;

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;

#define WINAPI

inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;

inline constexpr DWORD DLL_PROCESS_DETACH = 0;
inline constexpr DWORD DLL_PROCESS_ATTACH = 1;
inline constexpr DWORD DLL_THREAD_ATTACH = 2;
inline constexpr DWORD DLL_THREAD_DETACH = 3;

inline constexpr DWORD VK_CONTROL = 0x11;

// Milliseconds since the system started, wrapping every 2^32 ms.
extern "C" DWORD GetTickCount();
