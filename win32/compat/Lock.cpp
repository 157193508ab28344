#include "win32/compat/Lock.h"

#include "win32/compat/SystemProc.h"

namespace qx::win::compat {

SlimLockApi SystemSlimLockApi() {
  SlimLockApi api;
  api.acquire = LoadedProc<decltype(api.acquire)>(L"kernel32.dll", "AcquireSRWLockExclusive");
  api.release = LoadedProc<decltype(api.release)>(L"kernel32.dll", "ReleaseSRWLockExclusive");
  // Half a pair is no pair.
  if (api.acquire == nullptr || api.release == nullptr) api = {};
  return api;
}

Lock::Lock(SlimLockApi api) : api_(api) {
  if (!Slim()) InitializeCriticalSection(&section_);
}

Lock::~Lock() {
  if (!Slim()) DeleteCriticalSection(&section_);
}

void Lock::Acquire() {
  if (Slim()) {
    api_.acquire(&slim_);
  } else {
    EnterCriticalSection(&section_);
  }
}

void Lock::Release() {
  if (Slim()) {
    api_.release(&slim_);
  } else {
    LeaveCriticalSection(&section_);
  }
}

}  // namespace qx::win::compat
