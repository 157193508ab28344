#pragma once
// One monitor per watched browser window: it decides for every new window a
// page tries to open whether it is a pop-up, kills always-kill pages, rewrites
// endless script loops, answers for the web page dialogs of its browser,
// recognises the program's context-menu commands, tracks the user's presses
// and holds the browser's chrome.

#include <cstdint>
#include <memory>
#include <string>

#include "browser/BrowserHost.h"
#include "browser/DialogRecord.h"
#include "browser/NewWindowDecision.h"
#include "platform/Browser.h"
#include "platform/Dom.h"

namespace qx {

class FrameSink;
class ShellWindowList;

class BrowserMonitor : public std::enable_shared_from_this<BrowserMonitor>, private BrowserEvents {
 public:
  // watchedCounter: the number of monitors whose IsIE answered true.
  BrowserMonitor(BrowserHost& host, int& watchedCounter);
  ~BrowserMonitor() override;
  BrowserMonitor(const BrowserMonitor&) = delete;
  BrowserMonitor& operator=(const BrowserMonitor&) = delete;

  // The attach step.
  void Attach(std::shared_ptr<Browser> browser);
  bool IsIE();
  void Ping(ShellWindowList& list);
  bool StillAlive();
  bool StillAlive2() const { return myIE_ != nullptr && !Lost; }
  // The browser's window handle now; -1 when it cannot be read.
  std::int64_t IEHWND();
  void Destroy();
  void Quit();
  bool DialogsAllowed(DialogRecord& record);
  // Kills the caught window with the reason its catch left behind.
  void LogPopup(const std::wstring& url);
  void OnCatchVerify(const Navigation& caught);
  void OnCatchSameWindow(const Navigation& caught);
  void OnCatchNewWindow(const Navigation& caught);
  void ApplyHold();
  void Normalize();
  SnapshotRecord Snapshot() const;
  const std::shared_ptr<Browser>& browser() const { return myIE_; }

  // User-action tracking, called by the frame sinks and the element sinks.
  void BeginClick(bool byKeyboard, FrameSink& sink, std::shared_ptr<Element> element,
                  PressedKind kind, bool enterPressed);
  void BeginContextMenu(bool byKeyboard, FrameSink& sink, std::shared_ptr<Element> element,
                        PressedKind kind);
  void ResetClick();
  void ResetAll();
  bool FocusMatches();
  std::shared_ptr<Element> FindForm(const std::shared_ptr<Element>& element);
  static InputClass ClassifyInput(Element& input);
  static bool IsTextInput(Element& input);

  Settings& GetSettings() { return host_.GetSettings(); }

  // State, as the browser registry and the tests read it.
  std::int64_t lastHWND = -1;
  bool CompatMode = false;
  bool Lost = false;
  bool Recheck = false;
  bool IsExplorer = false;
  bool Suspended = false;
  std::wstring LastUrl;
  bool DocumentAttached = false;
  bool ClickArmed = false;
  bool ClickDone = false;
  bool PointerLeft = false;
  bool ByKeyboard = false;
  bool EnterSubmit = false;
  bool MenuArmed = false;
  PressedKind ElementKind = PressedKind::None;
  InputClass InputKind = InputClass::Other;
  std::shared_ptr<Element> ActedElement;
  std::shared_ptr<Document> ActedDocument;

 private:
  class ElementSink;
  class DocumentSink;
  class WindowSink;

  // BrowserEvents of myIE.
  void BeforeNavigate2(Browser& pDisp, Navigation& navigation, bool& cancel) override;
  void NewWindow2(std::shared_ptr<Browser>& ppDisp, bool& cancel) override;
  void NavigateComplete2(Browser& pDisp, const std::wstring& url) override;
  void DownloadComplete() override;
  void OnQuit() override;
  void OnFullScreen(bool on) override;
  void OnMenuBar(bool on) override;
  void OnStatusBar(bool on) override;
  void OnTheaterMode(bool on) override;
  void OnToolBar(bool on) override;

  void AttachDocument();
  bool ContextCommand(const std::wstring& url);
  std::wstring CurrentLocation();
  std::wstring LocationOrError();
  PressFacts Press() const;
  NewWindowAnswers RuleAnswers(const std::wstring& location);
  // Asks the page what the decision's path needs to know of the press.
  void AskAboutPress(NewWindowAnswers& answers);
  void Carry(const NewWindowDecision& decision, std::shared_ptr<Browser>& ppDisp, bool& cancel);
  // A pop-up of this page is stopped: told to the host with its reason.
  void StopPopup(const std::wstring& url, const std::wstring& reason);
  bool CaughtIsPressedLink(const std::wstring& lowered);
  bool CaughtIsMapTarget(const std::wstring& url);
  void VerifyFormSubmission(const Navigation& caught);
  void TraceDialog(const std::wstring& page, const DialogDecision& decision,
                   const DialogAnswers& answers);
  std::shared_ptr<Browser> Catch(CatchMode mode);
  bool ScriptLinkMatches();
  void OpenCaught(const Navigation& caught, bool specialForm);
  void UnhookAll();
  // Hooks the pressed element's window and document and remembers it.
  void HookPress(FrameSink& sink, const std::shared_ptr<Element>& element);
  void MenuReset();
  void Trace(const std::wstring& what, const std::wstring& why);
  std::wstring PressText();
  // An always-kill page as a window's first: logged without a source,
  // counted, and the window quits.
  void KillOnFirstPage(const std::wstring& url, const wchar_t* traceText);

  BrowserHost& host_;
  int& watchedCounter_;
  std::shared_ptr<Browser> myIE_;
  std::unique_ptr<Connection> events_;
  // Why a caught window dies if its check fails (or why the accurate log
  // caught it).
  std::wstring pendingReason_;
  bool isIeEvaluated_ = false;
  bool isIeResult_ = false;
  std::unique_ptr<FrameSink> root_;

  // The hooked press: the element, its document and window.
  std::unique_ptr<ElementSink> linkSink_;
  std::unique_ptr<ElementSink> areaSink_;
  std::unique_ptr<ElementSink> buttonSink_;
  std::unique_ptr<ElementSink> inputSink_;
  std::unique_ptr<DocumentSink> documentSink_;
  std::unique_ptr<WindowSink> windowSink_;
  std::unique_ptr<Connection> curAElement_;
  std::unique_ptr<Connection> curAreaElement_;
  std::unique_ptr<Connection> curButtonElement_;
  std::unique_ptr<Connection> curInputElement_;
  std::unique_ptr<Connection> curDocument_;
  std::unique_ptr<Connection> curWindow_;
};

// The script-loop rewrite: every "while(...)" becomes a loop bounded to 1000
// rounds. None when a "while" has no "(...)" after it: the URL then stays
// as it is.
std::optional<std::wstring> RewriteScriptLoops(std::wstring_view url);

}  // namespace qx
