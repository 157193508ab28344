#pragma once
// One stopped window, as the part that stopped it reports it: what it was,
// where it came from and why, in the user's words. The log, the notice, the
// recently-blocked menu and the trace all take it from here.

#include <cstdint>
#include <string>

#include "logging/LogEntry.h"

namespace qx {

enum class StopKind {
  Popup,           // a browser pop-up: a new window no user action asked for
  AlwaysKillPage,  // a browser window whose page has an always-kill rule
  WebDialog,       // a web page dialog without a click
  WindowRule,      // another program's window whose caption a rule matches
  HotKey,          // a window the user killed or banned with the hot keys
};

struct StopReport {
  StopKind kind = StopKind::Popup;
  // As the log keeps them: the opening page (may be empty) or the program's
  // path; the pop-up's URL ("" or "unknown" when it was not learnt), the
  // dialog's log text, or the window's caption.
  std::wstring source;
  std::wstring target;
  std::wstring reason;
  // Hot-key kills are the user's own doing: not logged and not counted.
  bool logged = true;
  // The page or window is a browser's (a hot-key kill may be either).
  bool browser = true;
  // For a web page dialog: its caption; for a hot-key ban: what it banned.
  std::wstring detail;

  std::int32_t PopupType() const { return browser ? kBrowserPopup : kOtherPopup; }
};

}  // namespace qx
