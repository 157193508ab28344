#include "win32/ports/WinNotificationArea.h"

#include <algorithm>

namespace qx::win {

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the first layout of the record is 88 bytes");
// The Windows 2000 layout, the largest that Windows XP takes for a wide
// record without the GUID (NOTIFYICONDATAW_V2_SIZE).
static_assert(NOTIFYICONDATAW_V2_SIZE == 936, "the balloon layout of the wide record");
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

namespace {

bool High(wchar_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool Low(wchar_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Copies text into a field of `size` characters with its NUL. A pair is
// copied whole or not at all; a lone half is no character and becomes "?",
// as the ANSI conversion makes of what the code page lacks.
template <std::size_t size>
void CopyField(wchar_t (&field)[size], std::wstring_view text) {
  std::size_t used = 0;
  for (std::size_t i = 0; i < text.size() && text[i] != L'\0';) {
    const bool pair = High(text[i]) && i + 1 < text.size() && Low(text[i + 1]);
    const std::size_t units = pair ? 2 : 1;
    if (used + units > size - 1) break;
    if (pair) {
      field[used] = text[i];
      field[used + 1] = text[i + 1];
    } else {
      field[used] = High(text[i]) || Low(text[i]) ? L'?' : text[i];
    }
    used += units;
    i += units;
  }
  field[used] = L'\0';
}

}  // namespace

// Wide, unlike the icon's record: the core counts the title's 63 and the
// text's 255 characters in UTF-16 units, which the wide fields hold exactly,
// while an ANSI field of 256 bytes holds fewer characters of a double-byte
// code page; and the text (page addresses, window captions) keeps characters
// the ANSI code page lacks. The shell matches the icon by hWnd and uID, not
// by the function that added it; on Windows NT the ANSI call turns its
// record into the wide one in any case.
// https://learn.microsoft.com/windows/win32/api/shellapi/ns-shellapi-notifyicondataw
NOTIFYICONDATAW ToBalloonRecord(const NotifyIconRecord& record, std::wstring_view title,
                                std::wstring_view text) {
  NOTIFYICONDATAW data{};
  // The balloon's fields came with the Windows 2000 layout. Windows XP reads
  // a record of a size it does not know (the later one with hBalloonIcon)
  // as the first layout, which has no balloon.
  data.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data.hWnd = reinterpret_cast<HWND>(record.hWnd);
  data.uID = record.uID;
  data.uFlags = NIF_INFO;
  CopyField(data.szInfoTitle, title);
  CopyField(data.szInfo, text);
  // The program plays its own sound for a stopped pop-up; NIIF_NOSOUND
  // (Windows XP and later) keeps the shell from adding one.
  data.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
  return data;
}

WinNotificationArea::WinNotificationArea()
    : notify_(
          [](DWORD message, NOTIFYICONDATAW& data) { return Shell_NotifyIconW(message, &data); }) {}

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

bool WinNotificationArea::ShowBalloon(const NotifyIconRecord& record, std::wstring_view title,
                                      std::wstring_view text) {
  NOTIFYICONDATAW data = ToBalloonRecord(record, title, text);
  // A balloon without text removes the one shown; nothing to show is no
  // notice.
  if (data.szInfo[0] == L'\0') return false;
  return notify_(NIM_MODIFY, data) != FALSE;
}

}  // namespace qx::win
