#pragma once
// Shell_NotifyIcon with the record in its first, 88-byte layout: that is the
// ANSI record (NOTIFYICONDATAA_V1_SIZE in a 32-bit program; the wide one is
// 152 bytes), so the tip goes through the ANSI code page.

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

// The system's record for the core's; the tip is cut to 63 bytes without
// splitting a character.
NOTIFYICONDATAA ToSystemRecord(const NotifyIconRecord& record);

}  // namespace qx::win
