#pragma once
// What the browser watch decides when a page opens a new window or a web
// page dialog, and why. Pure functions of the user's last press and of the
// answers of the rules: the monitor gathers those, asks here, then carries
// out what was decided in one place.

#include <string>

namespace qx {

// The element of the user's last press.
enum class PressedKind { None = 0, Link = 1, Area = 2, Button = 3, Input = 4, ImageMap = 5 };
// What an input element is.
enum class InputClass { Other = 0, Button = 1, Submit = 2, Image = 3 };

// The user's last press on the page, as the monitor tracked it.
struct PressFacts {
  bool clickArmed = false;   // the mouse button went down on an element
  bool clickDone = false;    // ... and the click completed
  bool pointerLeft = false;  // the pointer left the element in between
  bool enterSubmit = false;  // Enter in a text field
  bool menuArmed = false;    // the context menu was opened on an element
  PressedKind element = PressedKind::None;
  InputClass input = InputClass::Other;
  bool scriptNavigation = false;  // the page's last navigation was to "javascript:"
};

// Which questions about the press a decision needs answered: asking one
// touches the page, so only those on the path are asked.
enum class PressPath {
  DirectClick,  // a completed click on the element (or Enter): asks the focus
  ScriptLink,   // a click then a script navigation: asks the focus, then the link
  CheckPress,   // a press worth checking by catching the window: asks the focus
  NoPress,      // nothing that could have asked for a window: asks nothing
};

PressPath PathOf(const PressFacts& press);

// The rules' and the settings' answers.
struct NewWindowAnswers {
  bool blocking = true;          // blocking is on and the off key is not held
  bool siteAllowed = false;      // the page's rules allow its pop-ups
  bool updateSite = false;       // the page is on the update site
  bool windowsXPOrLater = true;  // the browser has its own pop-up checks
  bool redirectNewWindows = false;
  bool accurateLog = false;        // KeepLog and KeepAccurateLog: learn the pop-up's address
  bool focusMatches = false;       // asked on every path but NoPress
  bool scriptLinkMatches = false;  // asked on ScriptLink when the focus matches
  std::wstring allowReason;        // why the rules allow or block the page
};

enum class NewWindowOutcome {
  Open,              // the window opens
  OpenInSameWindow,  // caught, then shown in the page's own window
  CatchToVerify,     // caught, then opened only if its address is the pressed element's
  CatchToReopen,     // caught, then reopened as a plain window (older browsers)
  CatchToLog,        // caught only to learn its address, then killed
  Kill,              // cancelled
};

struct NewWindowDecision {
  NewWindowOutcome outcome = NewWindowOutcome::Open;
  // In the user's words: why it was killed, caught or let open.
  std::wstring reason;
  // The pop-up's address as the log keeps it when it is killed at once:
  // "" (a direct click's target is not known), "unknown", or the script URL.
  std::wstring logUrl;
};

NewWindowDecision DecideNewWindow(const PressFacts& press, const NewWindowAnswers& answers,
                                  const std::wstring& lastUrl);

// Web page dialogs: the press as it was when the dialog was announced.
struct DialogAnswers {
  bool blocking = true;
  bool siteAllowed = false;
  bool announcedLast = true;  // no other dialog was allowed since it was announced
  bool focusMatches = false;
  bool scriptLinkMatches = false;
  std::wstring allowReason;
};

// Which press questions the dialog decision asks (DirectClick: the focus;
// ScriptLink: the focus and the link; NoPress: none).
PressPath DialogPathOf(const PressFacts& press, const DialogAnswers& answers);

struct DialogDecision {
  bool allowed = true;
  std::wstring reason;
};

DialogDecision DecideDialog(const PressFacts& press, const DialogAnswers& answers);

// Reasons the monitor gives beyond the decisions above.
inline constexpr const wchar_t* kReasonNoClick = L"no click on the page before it opened";
inline constexpr const wchar_t* kReasonOtherElement = L"the click was on another element";
inline constexpr const wchar_t* kReasonOtherAddress =
    L"the window's address is not the clicked link's";
inline constexpr const wchar_t* kReasonDialog = L"web page dialog without a click";

// "the site has an always-kill rule for RULE"
std::wstring AlwaysKillReason(const std::wstring& rule);

}  // namespace qx
