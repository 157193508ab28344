#pragma once
// A mutual-exclusion lock for Windows code: a slim reader/writer lock,
// taken exclusively, where Windows has them (Vista on), a critical section
// before.
//   https://learn.microsoft.com/windows/win32/api/synchapi/nf-synchapi-acquiresrwlockexclusive
//   https://learn.microsoft.com/windows/win32/api/synchapi/nf-synchapi-entercriticalsection

#include <windows.h>

namespace qx::win::compat {

struct SlimLockApi {
  // AcquireSRWLockExclusive and ReleaseSRWLockExclusive, or both null.
  void(WINAPI* acquire)(PSRWLOCK) = nullptr;
  void(WINAPI* release)(PSRWLOCK) = nullptr;
};

// The slim lock functions where this Windows has them.
SlimLockApi SystemSlimLockApi();

class Lock {
 public:
  // `api` decides the kind; the tests pass an empty one to force the
  // critical section.
  explicit Lock(SlimLockApi api = SystemSlimLockApi());
  ~Lock();
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

  void Acquire();
  void Release();
  bool Slim() const { return api_.acquire != nullptr; }

 private:
  SlimLockApi api_;
  SRWLOCK slim_ = SRWLOCK_INIT;
  CRITICAL_SECTION section_{};
};

// Holds a Lock for its own lifetime.
class LockHeld {
 public:
  explicit LockHeld(Lock& lock) : lock_(lock) { lock_.Acquire(); }
  ~LockHeld() { lock_.Release(); }
  LockHeld(const LockHeld&) = delete;
  LockHeld& operator=(const LockHeld&) = delete;

 private:
  Lock& lock_;
};

}  // namespace qx::win::compat
