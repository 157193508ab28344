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

// A window handle travels as a 32-bit value between programs (the hook
// library's messages, the hook control's event arguments): only its low 32
// bits mean anything, and 64-bit Windows sign-extends them to pointer width
// ("Interprocess Communication Between 32-bit and 64-bit Applications",
// Microsoft's 64-bit programming guide). Every such conversion goes through
// these two, so that a handle with bit 31 set stays the same handle.
constexpr Hwnd HwndFromLong(std::int32_t value) {
  return static_cast<Hwnd>(static_cast<std::intptr_t>(value));
}
constexpr std::int32_t LongFromHwnd(Hwnd window) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(window & 0xFFFFFFFFu));
}

inline constexpr std::uint32_t kWsExAppWindow = 0x40;
inline constexpr std::uint32_t kWmClose = 16;

}  // namespace qx
