#pragma once
// One stopped pop-up, as the session log and "log.dat" keep it.

#include <cstdint>
#include <string>

namespace qx {

// PopupType values.
inline constexpr std::int32_t kBrowserPopup = 1;  // browser pop-up or web page dialog
inline constexpr std::int32_t kOtherPopup = 2;    // another program's window

struct LogEntry {
  // The opening page's URL (may be empty), or the lower-case path of the
  // program that owned the window.
  std::wstring Source;
  // The pop-up's URL, a dialog's caption + " (Web page dialog)", or the
  // other window's caption.
  std::wstring Target;
  std::wstring LogDate;
  std::wstring LogTime;
  std::int32_t PopupType = kBrowserPopup;
  // Why it was stopped, in the user's words; kept for the session only
  // ("log.dat" has no field for it).
  std::wstring Reason;

  bool operator==(const LogEntry&) const = default;
};

}  // namespace qx
