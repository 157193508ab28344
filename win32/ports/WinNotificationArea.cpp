#include "win32/ports/WinNotificationArea.h"

#include <algorithm>

namespace qx::win {

#ifndef _WIN64
static_assert(NOTIFYICONDATAW_V1_SIZE == 88, "the first layout of the record is 88 bytes");
#endif

NOTIFYICONDATAW ToSystemRecord(const NotifyIconRecord& record) {
  NOTIFYICONDATAW data{};
  // The core's record says 88, the size of the first layout in a 32-bit
  // program; the system's constant is that layout's size in this bitness.
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = reinterpret_cast<HWND>(record.hWnd);
  data.uID = record.uID;
  data.uFlags = record.uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
  data.uCallbackMessage = record.uCallbackMessage;
  data.hIcon = reinterpret_cast<HICON>(record.hIcon);
  const std::size_t n = std::min<std::size_t>(record.szTip.size(), 63);
  std::copy_n(record.szTip.data(), n, data.szTip);
  data.szTip[n] = L'\0';
  return data;
}

bool WinNotificationArea::Add(const NotifyIconRecord& record) {
  NOTIFYICONDATAW data = ToSystemRecord(record);
  return Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

bool WinNotificationArea::Modify(const NotifyIconRecord& record) {
  NOTIFYICONDATAW data = ToSystemRecord(record);
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool WinNotificationArea::Delete(const NotifyIconRecord& record) {
  NOTIFYICONDATAW data = ToSystemRecord(record);
  return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

}  // namespace qx::win
