#include "win32/compat/SecureRandom.h"

#include "win32/compat/SystemProc.h"

namespace qx::win::compat {
namespace {

constexpr ULONG kSystemPreferredRng = 0x00000002;  // BCRYPT_USE_SYSTEM_PREFERRED_RNG

}  // namespace

RandomSources SystemRandomSources() {
  RandomSources sources;
  sources.bcrypt = SystemProc<decltype(sources.bcrypt)>(L"bcrypt.dll", "BCryptGenRandom");
  sources.rtl = SystemProc<decltype(sources.rtl)>(L"advapi32.dll", "SystemFunction036");
  return sources;
}

bool FillSecureRandom(const RandomSources& sources, void* buffer, ULONG size) {
  // NTSTATUS: negative is a failure.
  if (sources.bcrypt != nullptr &&
      sources.bcrypt(nullptr, static_cast<UCHAR*>(buffer), size, kSystemPreferredRng) >= 0)
    return true;
  return sources.rtl != nullptr && sources.rtl(buffer, size) != FALSE;
}

}  // namespace qx::win::compat
