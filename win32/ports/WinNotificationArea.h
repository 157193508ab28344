#pragma once
// Shell_NotifyIcon with the record in its first, 88-byte layout: that is the
// ANSI record (NOTIFYICONDATAA_V1_SIZE in a 32-bit program; the wide one is
// 152 bytes), so the tip goes through the ANSI code page. Balloon notices
// go through the wide call (see ToBalloonRecord).

#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <functional>
#include <string_view>

#include "platform/Tray.h"

namespace qx::win {

// The wide Shell_NotifyIcon, or a test's stand-in for it.
using NotifyIconW = std::function<BOOL(DWORD message, NOTIFYICONDATAW& data)>;

class WinNotificationArea final : public NotificationArea {
 public:
  WinNotificationArea();
  explicit WinNotificationArea(NotifyIconW notify) : notify_(std::move(notify)) {}
  bool Add(const NotifyIconRecord& record) override;
  bool Modify(const NotifyIconRecord& record) override;
  bool Delete(const NotifyIconRecord& record) override;
  bool ShowBalloon(const NotifyIconRecord& record, std::wstring_view title,
                   std::wstring_view text) override;

 private:
  NotifyIconW notify_;
};

// The system's record for the core's; the tip is cut to 63 bytes without
// splitting a character.
NOTIFYICONDATAA ToSystemRecord(const NotifyIconRecord& record);

// The NIM_MODIFY record that shows a balloon over the icon of `record`:
// only the balloon's fields are valid, so the icon and its tip stay as they
// are. Title and text are cut to 63 and 255 characters without splitting a
// surrogate pair; half of a pair on its own becomes "?".
NOTIFYICONDATAW ToBalloonRecord(const NotifyIconRecord& record, std::wstring_view title,
                                std::wstring_view text);

}  // namespace qx::win
