#pragma once
// What keeps the server loaded: live controls and the host's LockServer
// calls. The one process-wide counter an in-process COM server must keep.

#include <windows.h>

#include <atomic>

namespace qx::win {

std::atomic<long>& ServerLocks();

// The class object's lifetime (ComObjectWith): one object for the life of
// the server, whose references are locks on the server; while the host
// holds it, the server stays loaded. Nothing is deleted.
class ServerLockLifetime {
 protected:
  static constexpr bool kDeletes = false;
  ULONG Up() { return static_cast<ULONG>(++ServerLocks() + 1); }
  ULONG Down() { return static_cast<ULONG>(--ServerLocks() + 1); }
};

}  // namespace qx::win
