#pragma once
// What keeps the server loaded: live controls and the host's LockServer
// calls. The one process-wide counter an in-process COM server must keep.

#include <atomic>

namespace qx::win {

std::atomic<long>& ServerLocks();

}  // namespace qx::win
