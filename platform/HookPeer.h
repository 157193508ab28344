#pragma once
// The hooks of the other bitness. A hook library enters only processes of its
// own bitness, so on 64-bit Windows a small helper program of the other
// bitness sets the same hooks with its own copy of the library, reporting to
// the same window.

#include <cstdint>

#include "platform/Types.h"

namespace qx {

// What the helper's hooks must be: the control's own, mirrored.
struct PeerHooks {
  std::int32_t NotifyWindow = 0;
  bool Cbt = false;
  bool Msg = false;
  bool Mouse = false;
  std::int32_t NoBrowserCheck = 0;

  bool Any() const { return Cbt || Msg || Mouse; }
  friend bool operator==(const PeerHooks&, const PeerHooks&) = default;
};

class HookPeer {
 public:
  virtual ~HookPeer() = default;
  // Sets the helper's hooks to these; starts the helper when it is not
  // running. A helper that is absent or cannot start leaves the control's
  // own hooks alone: nothing fails.
  virtual void Apply(const PeerHooks& hooks) = 0;
  // Removes the helper's hooks and ends it; nothing when it is not running.
  virtual void Stop() = 0;
  // Whether a button report about this window came from the helper's
  // library (the window's process is of the helper's bitness).
  virtual bool Reports(Hwnd window) = 0;
  // The helper's library's GetLastY, asked in the helper's process.
  virtual std::int32_t GetLastY() = 0;
};

}  // namespace qx
