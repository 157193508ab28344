#pragma once
// The browsers of the simulated desktop, and the world's verbs for them: the
// user opens a browser, types an address, clicks, presses keys, opens the
// context menu; a page adds elements and frames, runs scripts that open
// windows and dialogs, changes its window's chrome. Everything happens at
// once, in the order the real browser raises its events; a step ends when
// every event it causes has been delivered.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Browser.h"
#include "sim/FailureInjector.h"
#include "sim/SimBrowser.h"
#include "sim/SimBrowserContext.h"
#include "sim/SimDom.h"
#include "sim/SimShellWindows.h"
#include "sim/SimWindowManager.h"

namespace qx::sim {

inline constexpr std::wstring_view kDefaultBrowserExe =
    L"c:\\program files\\internet explorer\\iexplore.exe";
inline constexpr std::wstring_view kWebDialogClass = L"Internet Explorer_TridentDlgFrame";
inline constexpr std::wstring_view kWebDialogSuffix = L" -- Web Page Dialog";

enum class PageKey { Enter, Space, Tab, Escape, Left, Right, Up, Down };

using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;

class SimBrowsers final : public BrowserFactory, private WindowListener {
 public:
  SimBrowsers(FailureInjector& failures, SimWindowManager& windows);
  ~SimBrowsers() override;
  SimBrowsers(const SimBrowsers&) = delete;
  SimBrowsers& operator=(const SimBrowsers&) = delete;

  // BrowserFactory
  std::shared_ptr<Browser> NewBrowserWindow() override;
  std::shared_ptr<Browser> CreateHiddenBrowserControl() override;

  SimShellWindows& shellWindows() { return shell_; }

  // --- Browsers and pages -------------------------------------------------
  // The user starts a browser (a process of exe): its window opens, is
  // announced, and with an address navigates there as if the user typed it.
  std::shared_ptr<SimBrowser> OpenBrowser(std::wstring_view url = {},
                                          std::wstring_view exe = kDefaultBrowserExe);
  // A browser window (of another program, say) that starts navigating to url
  // before the shell's list announces it, as the list can announce late: the
  // announcement comes after BeforeNavigate2, before NavigateComplete2 and
  // DownloadComplete, so a program that watches it hears only those.
  std::shared_ptr<SimBrowser> OpenBrowserAnnouncedLate(std::wstring_view url,
                                                       std::wstring_view exe = kDefaultBrowserExe);
  // The user types an address into the browser (or frame).
  void Go(SimBrowser& browser, std::wstring_view url);
  // An element of the page the browser or frame shows now, inside parent
  // (the body when none). Attribute names in any case; an onclick or
  // onsubmit script that the page cannot run throws std::invalid_argument.
  std::shared_ptr<SimElement> AddElement(SimBrowser& page, std::wstring_view tag,
                                         const Attributes& attributes = {},
                                         const std::shared_ptr<SimElement>& parent = nullptr);
  // A frame (an iframe element) of the page, named name, that loads url:
  // BeforeNavigate2 and NavigateComplete2 for the frame, DownloadComplete.
  std::shared_ptr<SimBrowser> AddFrame(SimBrowser& page, std::wstring_view url,
                                       std::wstring_view name = {});
  // The page's title (the window caption shows it).
  void SetTitle(SimBrowser& page, std::wstring title);
  // A script of the page calls window.open(url[, name]) with no user action.
  // Answers the window that opened, if one did.
  std::shared_ptr<SimBrowser> ScriptOpen(SimBrowser& page, std::wstring_view url,
                                         std::wstring_view name = {});
  // A script of the page opens a web page dialog; answers its window (0 when
  // the page has no window to own it). With show false the window is only
  // created: it comes to the front later (its page is still loading), when
  // the world activates it.
  Hwnd ScriptDialog(SimBrowser& page, std::wstring_view caption, bool show = true);
  // A script of the page navigates the top window (a "javascript:" address
  // included).
  void ScriptGo(SimBrowser& page, std::wstring_view url);
  void SetChrome(SimBrowser& browser, ChromePart part, bool on);
  void Place(SimBrowser& browser, int left, int top, int width, int height);
  // The user closes the window.
  void Quit(SimBrowser& browser);

  // --- The user at the page -----------------------------------------------
  // A left click: mousedown, the focus, mouseup, click, the default action.
  void Click(SimElement& element);
  // The element gets the focus (as by the tab key), then the key goes down
  // and up on it, its default action where the real browser takes it: Enter
  // between keydown and keyup, Space after keyup, Tab (the focus moves to the
  // next element) before keyup.
  void Key(SimElement& element, PageKey key);
  // Single events. A mouse press also moves the focus, as a real one does.
  void MouseDown(SimElement& element, bool right = false);
  void MouseUp(SimElement& element);
  void MouseOut(SimElement& element);
  void MouseOver(SimElement& element);
  void MouseMove(SimBrowser& page);
  void Blur(SimElement& element);
  void Drag(SimElement& element);
  // The right button opens the context menu: right mousedown, the focus,
  // mouseup, oncontextmenu. Answers whether the menu showed.
  bool ContextMenu(SimElement& element);
  // The menu's "Open in New Window" on a link or area (the menu is open):
  // NewWindow2, then the new window opens on the href.
  void OpenInNewWindow(SimElement& element);
  // Both: the context menu, then, when it showed, its command.
  void NewWindowFromMenu(SimElement& element);
  // The user right-clicks the page and picks an entry that the program added
  // to the browser's context menu: the browser runs the entry's script file
  // (its text given), which navigates a window of the page. Answers whether
  // the script ran.
  bool UseMenuEntry(SimBrowser& page, std::wstring_view script);

  // --- What the world holds -----------------------------------------------
  // Every browser window that opened, in opening order (the program's own
  // included), except closed ones let go of by ForgetClosed.
  const std::vector<std::shared_ptr<SimBrowser>>& Opened() const { return opened_; }
  // How many browser windows opened in all, forgotten ones included.
  std::size_t MadeCount() const { return made_; }
  // The browser windows open now, in the shell list's order.
  std::vector<std::shared_ptr<SimBrowser>> OpenWindows() const { return shell_.Browsers(); }
  // The browser object whose application window this is.
  std::shared_ptr<SimBrowser> ByWindow(Hwnd window) const;
  const std::vector<Hwnd>& Dialogs() const { return dialogs_; }
  const std::vector<std::shared_ptr<SimBrowser>>& Controls() const { return controls_; }
  // Lets go of the records of browser windows that have closed (with the
  // pages they showed), of web page dialogs that have gone, and of open
  // windows' past pages that nothing outside holds. They serve only a
  // scenario's expectations: a closed window answers every call as
  // disconnected whether or not it is recorded, and an object the program
  // still holds lives on as long as it holds it. A long run calls this
  // between its steps, never inside one; a scenario never does.
  void ForgetClosed();

  // --- Used by the simulated browsers and pages ---------------------------
  // A new window requested from opener's page: NewWindow2 on its window's
  // sinks; cancelled, nothing opens; a replaced ppDisp receives the first
  // navigation; otherwise a new window opens, is announced and navigates.
  std::shared_ptr<SimBrowser> OpenNewWindow(SimBrowser& opener, NavigationRequest request,
                                            std::wstring_view name);
  // Navigates the window or frame that request.targetName names, as seen
  // from source: "", "_self", "_top", "_parent", "_blank", a frame's or a
  // window's name; an unknown name opens a new window of that name. Answers
  // the window that opened, if one did.
  std::shared_ptr<SimBrowser> NavigateTarget(SimBrowser& source, NavigationRequest request);
  // Runs a page's own handler; answers its return value.
  bool RunPageScript(SimDocument& document, const std::wstring& text);
  // What a "javascript:" address does once its navigation went ahead.
  void RunJavascriptUrl(SimBrowser& browser, std::wstring_view url);
  Hwnd OpenDialog(SimBrowser& browser, std::wstring_view caption, bool show = true);
  // A window closed: the shell list revokes it.
  void WindowClosed(SimBrowser& browser);

 private:
  // announce false: the shell's list is told later, by whoever made it.
  std::shared_ptr<SimBrowser> MakeWindow(ProcessId process, std::wstring exe, bool visible,
                                         std::wstring name, bool announce = true);
  std::shared_ptr<SimDocument> PageOf(SimBrowser& page) const;
  std::shared_ptr<SimDocument> ShownDocumentOf(SimElement& element) const;
  void ClickDefault(SimElement& element);
  // What Enter or Space does to the focused element: its click and default
  // action.
  void KeyActivate(SimElement& element, PageKey key);
  void Follow(SimElement& link, bool serverMap);
  void Submit(SimElement& form, SimElement* submitter);
  void WindowDestroyed(const SimWindow& window) override;

  std::shared_ptr<SimBrowserContext> context_;
  SimWindowManager& windows_;
  SimShellWindows shell_;
  std::vector<std::shared_ptr<SimBrowser>> opened_;
  std::vector<std::shared_ptr<SimBrowser>> controls_;
  std::vector<Hwnd> dialogs_;
  std::size_t made_ = 0;
  std::unique_ptr<Connection> windowEvents_;
};

}  // namespace qx::sim
