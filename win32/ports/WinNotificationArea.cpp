#include "win32/ports/WinNotificationArea.h"

#include <algorithm>

namespace qx::win {

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the first layout of the record is 88 bytes");
#endif

NOTIFYICONDATAA ToSystemRecord(const NotifyIconRecord& record) {
  NOTIFYICONDATAA data{};
  // The core's record says 88, the size of the first layout in a 32-bit
  // program; the system's constant is that layout's size in this bitness.
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = reinterpret_cast<HWND>(record.hWnd);
  data.uID = record.uID;
  data.uFlags = record.uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
  data.uCallbackMessage = record.uCallbackMessage;
  data.hIcon = reinterpret_cast<HICON>(record.hIcon);
  // Character by character, so that a cut never leaves half of one.
  std::size_t used = 0;
  const std::wstring& tip = record.szTip;
  for (std::size_t i = 0; i < tip.size() && tip[i] != L'\0';) {
    const bool pair = tip[i] >= 0xD800 && tip[i] <= 0xDBFF && i + 1 < tip.size();
    const int units = pair ? 2 : 1;
    char bytes[8];
    const int n =
        WideCharToMultiByte(CP_ACP, 0, tip.data() + i, units, bytes, sizeof bytes, "?", nullptr);
    if (n <= 0 || used + static_cast<std::size_t>(n) > 63) break;
    std::copy_n(bytes, n, data.szTip + used);
    used += static_cast<std::size_t>(n);
    i += static_cast<std::size_t>(units);
  }
  data.szTip[used] = '\0';
  return data;
}

bool WinNotificationArea::Add(const NotifyIconRecord& record) {
  NOTIFYICONDATAA data = ToSystemRecord(record);
  return Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

bool WinNotificationArea::Modify(const NotifyIconRecord& record) {
  NOTIFYICONDATAA data = ToSystemRecord(record);
  return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

bool WinNotificationArea::Delete(const NotifyIconRecord& record) {
  NOTIFYICONDATAA data = ToSystemRecord(record);
  return Shell_NotifyIconA(NIM_DELETE, &data) != FALSE;
}

}  // namespace qx::win
