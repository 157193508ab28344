#pragma once
// The hidden main form: it brings every subsystem up, owns the timers, the
// page catcher, the tray icon and its menu, and handles the hook control's
// events (the window watch, web page dialogs, hot keys).

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "browser/BrowserHost.h"
#include "browser/BrowserList.h"
#include "browser/DialogRecord.h"
#include "browser/PageCatcher.h"
#include "monitor/KeyStateInfo.h"
#include "monitor/StopNotices.h"
#include "monitor/SysTrayIcon.h"
#include "platform/HookControl.h"
#include "platform/Platform.h"
#include "ui/DialogHost.h"
#include "ui/InputBoxForm.h"

namespace qx {

class Process;

inline constexpr std::wstring_view kTestPageUrl = L"http://www.quellix.example/test/";
inline constexpr std::uint32_t kPingInterval = 60000;
inline constexpr std::uint32_t kAutoClosePingInterval = 10000;
inline constexpr std::uint32_t kBlinkInterval = 3000;
inline constexpr int kDialogRingSize = 21;

class MainForm final : public BrowserHost,
                       public OmnihookEvents,
                       public BrowserHolds,
                       private SysTrayIconEvents {
 public:
  // startTime: seconds since midnight when the program started.
  MainForm(Process& process, DialogHost& dialogs, float startTime);
  ~MainForm() override;
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  // Start-up and shut-down.
  void Load();
  void InitializeMonitor();
  void CloseProgram() override;
  // The user, the task manager or the session's end closes the form.
  void QueryUnloadFromOutside();
  bool Unloaded() const { return unloaded_; }
  bool BlockingEnabled() const { return blockingEnabled_; }
  bool ClosingDown() const { return closingDown_; }
  Hwnd Window() const { return window_; }

  // Kill notification and timers. A stopped window is logged (unless it is
  // the user's own doing), counted, told in a notice and kept among the
  // recently blocked.
  void PopupStopped(const StopReport& report) override;
  void OnPopupKilled();
  // Undoes a stop: "allow" its site's pop-ups, "open" its page again,
  // "kill" it always, "quiet" the notices, or show the "settings".
  void UndoStop(const StopReport& report, const std::wstring& key);
  const NoticeBoard& Notices() const { return notices_; }
  const RecentStops& Recent() const { return recent_; }
  void BlinkTimerTick();
  void PingTimerTick();
  void TestTimerTick();
  Timer& PingTimer() { return *pingTimer_; }
  Timer& BlinkTimer() { return *blinkTimer_; }
  Timer& TestTimer() { return *testTimer_; }
  CatchMode PendingCatch() const { return catcher_->Pending(); }
  const std::shared_ptr<Browser>& PageSink() const { return catcher_->Sink(); }

  // The hook control's events.
  void GetTextMsg(std::int32_t& hwnd) override;
  void NewWebDialog(std::int32_t& hwnd, std::wstring& caption) override;
  void NewWebDialogAdvise(std::int32_t& hwnd, std::int32_t& IEhWnd) override;
  void LeftButtonDown(std::int32_t& x, std::int32_t& y, std::int32_t& hwnd) override;
  void LeftButtonUp(std::int32_t& x, std::int32_t& y, std::int32_t& hwnd) override;

  // The tray.
  void UpdateTipText();
  void ToggleEnabled();
  bool CheckAdminPassword();
  // The password box while it is loaded; none otherwise.
  FormModel* PasswordBox();
  void LoadTrayPictures();
  void InitializeMenu();
  void MenuCommand(const std::wstring& key);
  SysTrayIcon* TrayIcon() { return trayIcon_.get(); }
  PictureBox& TrayPicture() { return trayPicture_; }
  PopupMenu* PopMenu() { return popMenu_.get(); }
  PictureHandle EnabledImage() const { return enabledImage_; }
  PictureHandle DisabledImage() const { return disabledImage_; }
  PictureHandle AlertImage() const { return alertImage_; }

  // Hot keys.
  bool BlockingActive() override;
  int ClickAction() const { return clickAction_; }

  // Created on first use.
  BrowserList& Browsers();
  // BrowserHolds: the options changed.
  void ReapplyHolds() override { Browsers().ReapplyHolds(); }
  int DialogAllowCounter() const { return dialogAllowCounter_; }
  const std::array<DialogRecord, kDialogRingSize>& DialogRing() const { return dialogRing_; }

  // BrowserHost
  Settings& GetSettings() override;
  bool Allow(const std::wstring& url) override;
  bool Kill(const std::wstring& url) override;
  void AddWebsiteRule(const std::wstring& site, int ruleType, bool stripWww) override;
  std::wstring KillRuleText(const std::wstring& url) override;
  bool IsWindowsXPOrLater() override;
  std::wstring DataFolder() override;
  std::shared_ptr<Browser> ArmCatch(CatchMode mode,
                                    std::weak_ptr<BrowserMonitor> requester) override;
  int DialogCounter() override { return dialogAllowCounter_; }
  void DoEvents() override;
  std::shared_ptr<Browser> NewBrowserWindow() override;
  UrlUnescaper& Unescaper() override;
  WorkArea& GetWorkArea() override;
  double SecondsSinceStart() override;
  DecisionObserver* Observer() override { return observer_; }
  std::wstring ExplainAllow(const std::wstring& url) override;
  std::wstring ExplainKill(const std::wstring& url) override;
  void SetDecisionObserver(DecisionObserver* observer) { observer_ = observer; }

 private:
  // SysTrayIconEvents
  void Lbuttondown() override;
  void Lbuttonup() override;
  void LButtonDblClick() override;
  void RButtonDown() override;
  void Rbuttonup() override;
  void BalloonUserClick() override;

  void UnloadForm();
  void UnloadHandler();
  void CreateMissingLogFiles();
  bool ResolveClickTarget(Hwnd& target);
  bool IsProtectedWindow(Hwnd target);
  void ShowNotice(const StopReport& report);
  // Shows the menu at the cursor as the tray does; answers the chosen key.
  std::wstring TrackMenu(PopupMenu& menu);
  void RefreshRecentMenu();
  void RecentCommand(const std::wstring& key);
  void HotKeyStopped(Hwnd target, bool browser, const std::wstring& page, bool banned);

  Process& process_;
  Platform& platform_;
  DialogHost& dialogs_;
  KeyStateInfo keys_;
  float startTime_;
  Hwnd window_ = 0;
  bool unloaded_ = false;
  bool closingDown_ = false;
  bool blockingEnabled_ = false;

  std::unique_ptr<Timer> pingTimer_;
  std::unique_ptr<Timer> blinkTimer_;
  std::unique_ptr<Timer> testTimer_;

  std::unique_ptr<PageCatcher> catcher_;

  PictureBox trayPicture_;
  PictureHandle enabledImage_ = 0;
  PictureHandle disabledImage_ = 0;
  PictureHandle alertImage_ = 0;
  std::unique_ptr<SysTrayIcon> trayIcon_;
  std::unique_ptr<PopupMenu> popMenu_;
  bool trayLeftDown_ = false;
  bool trayRightDown_ = false;
  std::wstring enteredPassword_;
  // The password box lives in the check that asks; this points at it.
  InputBoxForm* passwordBox_ = nullptr;

  int clickAction_ = 0;
  Hwnd clickDownWindow_ = 0;

  std::wstring lastWatchExe_;
  std::wstring lastWatchCaption_;
  Hwnd lastWatchWindow_ = 0;
  std::array<DialogRecord, kDialogRingSize> dialogRing_{};
  int dialogRingNext_ = 0;
  int dialogAllowCounter_ = 0;

  NoticeBoard notices_;
  RecentStops recent_;
  std::unique_ptr<BrowserList> browserList_;
  DecisionObserver* observer_ = nullptr;
};

}  // namespace qx
