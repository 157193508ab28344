#pragma once
// The user-action flags at one moment, and the record the main form keeps
// per announced web page dialog.

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace qx {

struct SnapshotRecord {
  std::int16_t ClickArmed = 0;  // 16-bit Booleans: 0 or -1
  std::int16_t ClickDone = 0;
  std::int16_t PointerLeft = 0;
};

struct DialogRecord {
  SnapshotRecord snapshot;
  Hwnd owner = 0;
  Hwnd dialog = 0;
  std::wstring location;  // the owner's page, filled in by DialogsAllowed
  int stamp = 0;          // the dialog counter when the dialog was announced
  std::wstring reason;    // why DialogsAllowed decided as it did
};

inline std::int16_t Bool16(bool b) {
  return b ? std::int16_t{-1} : std::int16_t{0};
}

}  // namespace qx
