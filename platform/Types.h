#pragma once

#include <cstdint>
#include <string>

namespace qx {

// A window handle as the platform hands it out; 0 is no window.
using Hwnd = std::uintptr_t;
using ProcessId = std::uint32_t;

// The 148-byte version record, as far as the program reads it.
struct OsVersionInfo {
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::uint32_t platformId = 0;  // 1: the 95/98/Me line, 2: the NT family
  std::wstring servicePack;
};

inline constexpr std::uint32_t kWsExAppWindow = 0x40;
inline constexpr std::uint32_t kWmClose = 16;

}  // namespace qx
