#include "win32/program/ResidentProgram.h"

#include "Resources.h"
#include "monitor/StartupModule.h"
#include "win32/program/CloseRequest.h"

namespace qx::win {

ResidentProgram::ResidentProgram(HINSTANCE module, OmnihookClient::Factory hooks,
                                 std::wstring programFolder)
    : files_(std::move(programFolder)),
      hooks_([this] { return MainWindow(); }, std::move(hooks)),
      pictures_(module, {QX_ICON_ENABLED, QX_ICON_DISABLED, QX_ICON_ALERT}),
      menus_(module, QX_BITMAP_MENU),
      shellWindows_(MakeShellWindowList()),
      browsers_(MakeBrowserFactory(nullptr)),
      platform_{store_,    registry_,  files_,       clock_,          random_,   desktop_,
                shell_,    messages_,  errorDialog_, processControl_, hooks_,    ui_,
                keyboard_, sound_,     workArea_,    tray_,           pictures_, menus_,
                inputBox_, unescaper_, ansi_,        *shellWindows_,  *browsers_},
      forms_(platform_, fileOpen_),
      dialogs_(forms_) {
  // A restarted task bar forgets every icon; it says so to all top-level
  // windows.
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  callFilter_.Filter().SetRunMessages(false);
  desktop_.SetMessageHandler(this);
  desktop_.SetWindowMaker(&CreateDialogWindow);
}

ResidentProgram::~ResidentProgram() {
  End();
  desktop_.SetMessageHandler(nullptr);
}

HWND ResidentProgram::MainWindow() const {
  return form_ ? reinterpret_cast<HWND>(form_->Window()) : nullptr;
}

int ResidentProgram::Run(std::wstring_view arguments) {
  StartOutcome outcome = StartOutcome::Ended;
  try {
    ++coreDepth_;
    struct Leave {
      int& depth;
      ~Leave() { --depth; }
    } leave{coreDepth_};
    outcome = Main(arguments, platform_, dialogs_, process_, form_);
  } catch (const PlatformError&) {
    // A failure the start routine did not expect ends the start; what was
    // made so far ends in order below.
    outcome = StartOutcome::Ended;
  }
  if (outcome == StartOutcome::Running) RunMessages();
  End();
  return 0;
}

void ResidentProgram::RunMessages() {
  // Loaded: from now on a call that waits for a browser lets the program's
  // messages run meanwhile.
  callFilter_.Filter().SetRunMessages(true);
  // An installer in any session may ask the program to end in order.
  const CloseRequest closeRequest(MainWindow());
  MSG msg;
  while (form_ && !form_->Unloaded()) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      // Told to quit from outside: as if the form were closed.
      if (form_) form_->QueryUnloadFromOutside();
      return;
    }
    ++coreDepth_;
    // The settings dialog is not modal: its keys and keyboard navigation
    // come through this loop.
    if (dialogs_.PreTranslate(msg)) {
      --coreDepth_;
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    --coreDepth_;
  }
}

void ResidentProgram::End() {
  if (ended_) return;
  ended_ = true;
  form_.reset();
  if (process_) process_->EndOfLife();
  process_.reset();
  hooks_.Destroy();
}

bool ResidentProgram::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT& result) {
  const bool handled = Handle(window, message, wParam, lParam, result);
  // A message sent from another thread or process runs inside GetMessage,
  // which then goes on waiting: wake the loop so that it sees the end.
  if (handled && (!form_ || form_->Unloaded()))
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
  return handled;
}

bool ResidentProgram::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT& result) {
  if (!form_) return false;
  result = 0;
  const HWND trayWindow = reinterpret_cast<HWND>(form_->TrayPicture().Window());
  if (window == trayWindow && trayWindow != nullptr && message == WM_MOUSEMOVE) {
    // The notification area's callback: the mouse message is in lParam.
    if (SysTrayIcon* icon = form_->TrayIcon()) icon->OnCallback(static_cast<std::uint32_t>(lParam));
    return true;
  }
  if (window != MainWindow()) return false;
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    if (SysTrayIcon* icon = form_->TrayIcon(); icon != nullptr && !form_->Unloaded())
      icon->ShowIcon();
    return true;
  }
  switch (message) {
    case WM_CLOSE:
      // The user, the task manager or another program closes the form: the
      // program closes itself first; the message loop then ends it.
      form_->QueryUnloadFromOutside();
      return true;
    case WM_QUERYENDSESSION:
      result = TRUE;
      return true;
    case WM_ENDSESSION:
      // The session ends: the process may be gone as soon as this returns,
      // so the orderly end runs now.
      if (wParam != FALSE) {
        form_->QueryUnloadFromOutside();
        // Inside the core (still starting, or in a dialog's loop) the form
        // is unloaded now and ends when the core returns to the top loop;
        // ending it here would destroy it under the running code.
        if (coreDepth_ == 0) End();
      }
      return true;
    default:
      return false;
  }
}

}  // namespace qx::win
