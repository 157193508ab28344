#include "win32/compat/TickCount.h"

#include "win32/compat/SystemProc.h"

namespace qx::win::compat {
namespace {

// Process-wide on purpose: every caller's answers must agree, and the C++
// library's threads call this before and during static construction (see
// TickCountImport.cpp), so it has to be constant-initialised.
constinit TickExtender processTicks;
// GetTickCount64's address once looked up; kUnknown before, kAbsent where
// kernel32 has none. Two threads looking it up at once find the same.
constexpr std::uintptr_t kUnknown = 0;
constexpr std::uintptr_t kAbsent = 1;
constinit std::atomic<std::uintptr_t> systemTicks64{kUnknown};

Ticks64Fn SystemTicks64() {
  std::uintptr_t found = systemTicks64.load(std::memory_order_acquire);
  if (found == kUnknown) {
    const auto proc = LoadedProcAddress(L"kernel32.dll", "GetTickCount64");
    found = proc != nullptr ? reinterpret_cast<std::uintptr_t>(proc) : kAbsent;
    systemTicks64.store(found, std::memory_order_release);
  }
  return found == kAbsent ? nullptr : reinterpret_cast<Ticks64Fn>(found);
}

}  // namespace

std::uint64_t ExtendTickCount(std::uint64_t last, std::uint32_t now) {
  const auto ahead = static_cast<std::int32_t>(now - static_cast<std::uint32_t>(last));
  return ahead > 0 ? last + static_cast<std::uint64_t>(ahead) : last;
}

std::uint64_t TickExtender::Next(std::uint32_t now) {
  std::uint64_t last = last_.load();
  for (;;) {
    const std::uint64_t next = last == kNoReading ? now : ExtendTickCount(last, now);
    if (next == last || last_.compare_exchange_weak(last, next)) return next;
  }
}

std::uint64_t TickCountWith(Ticks64Fn ticks64, Ticks32Fn ticks32, TickExtender& extender) {
  return ticks64 != nullptr ? ticks64() : extender.Next(ticks32());
}

std::uint64_t TickCount64() {
  return TickCountWith(SystemTicks64(), &GetTickCount, processTicks);
}

}  // namespace qx::win::compat
