#pragma once
// Shell_NotifyIcon with the record in its first layout (NOTIFYICONDATAW_V1_SIZE:
// 88 bytes in a 32-bit program).

#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include "platform/Tray.h"

namespace qx::win {

class WinNotificationArea final : public NotificationArea {
 public:
  bool Add(const NotifyIconRecord& record) override;
  bool Modify(const NotifyIconRecord& record) override;
  bool Delete(const NotifyIconRecord& record) override;
};

// The system's record for the core's.
NOTIFYICONDATAW ToSystemRecord(const NotifyIconRecord& record);

}  // namespace qx::win
