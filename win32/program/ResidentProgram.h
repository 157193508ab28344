#pragma once
// The resident program on Windows: every adapter, the platform handed to the
// core, the start routine, the hidden main form's messages and the orderly
// end.

#include <windows.h>

#include <memory>
#include <string_view>

#include "context/Process.h"
#include "monitor/MainForm.h"
#include "ui/FormHost.h"
#include "win32/browser/BrowserPorts.h"
#include "win32/browser/CallFilter.h"
#include "win32/com/WinAnsiCodec.h"
#include "win32/dialogs/WinDialogHost.h"
#include "win32/ports/WinClock.h"
#include "win32/ports/WinDesktop.h"
#include "win32/ports/WinErrorDialog.h"
#include "win32/ports/WinFileOpenDialog.h"
#include "win32/ports/WinFileSystem.h"
#include "win32/ports/WinInputBox.h"
#include "win32/ports/WinKeyboard.h"
#include "win32/ports/WinMessageBoxes.h"
#include "win32/ports/WinNotificationArea.h"
#include "win32/ports/WinPictures.h"
#include "win32/ports/WinPopupMenu.h"
#include "win32/ports/WinRandom.h"
#include "win32/ports/WinRegistry.h"
#include "win32/ports/WinSettingsStore.h"
#include "win32/ports/WinShell.h"
#include "win32/ports/WinSound.h"
#include "win32/ports/WinUiThread.h"
#include "win32/ports/WinUrlUnescaper.h"
#include "win32/ports/WinWorkArea.h"
#include "win32/program/OmnihookClient.h"

namespace qx::win {

class ResidentProgram final : private OwnWindowMessages {
 public:
  // module: where the pictures are (the program file); hooks: makes the
  // hook control; programFolder: "" for the program file's folder.
  explicit ResidentProgram(HINSTANCE module,
                           OmnihookClient::Factory hooks = OmnihookClient::DefaultFactory(),
                           std::wstring programFolder = L"");
  ~ResidentProgram() override;
  ResidentProgram(const ResidentProgram&) = delete;
  ResidentProgram& operator=(const ResidentProgram&) = delete;

  // Runs the start routine with the arguments and, when the main form
  // loaded, its messages until it is unloaded; then the orderly end.
  // Answers the process's exit code.
  int Run(std::wstring_view arguments);

 private:
  bool OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void RunMessages();
  // The form goes, then the process context's end-of-life writes; once.
  void End();
  HWND MainWindow() const;

  WinSettingsStore store_;
  WinRegistry registry_;
  WinFileSystem files_;
  WinClock clock_;
  WinRandom random_;
  WinDesktop desktop_;
  WinShell shell_;
  WinMessageBoxes messages_;
  WinErrorDialog errorDialog_;
  WinProcessControl processControl_;
  OmnihookClient hooks_;
  WinUiThread ui_;
  WinKeyboard keyboard_;
  WinSound sound_;
  WinWorkArea workArea_;
  WinNotificationArea tray_;
  WinPictures pictures_;
  WinPopupMenuFactory menus_;
  WinInputBox inputBox_;
  WinUrlUnescaper unescaper_;
  WinAnsiCodec ansi_;
  // The shell's browsers through COM: made after OLE is initialised, which
  // the caller does before the program is made; a browser that does not
  // answer fails its call after a few seconds (see CallFilter).
  CallFilterRegistration callFilter_;
  std::unique_ptr<ShellWindowList> shellWindows_;
  std::unique_ptr<BrowserFactory> browsers_;
  WinFileOpenDialog fileOpen_;
  Platform platform_;
  FormHost forms_;
  // The dialogs on screen, over the models of forms_.
  WinDialogHost dialogs_;
  std::unique_ptr<Process> process_;
  std::unique_ptr<MainForm> form_;
  UINT taskbarCreated_ = 0;
  bool ended_ = false;
  // How deep the core is on this thread's stack: the start routine, or a
  // message the top loop dispatched. Messages sent from other programs
  // arrive inside any wait of the core (a COM call, a modal dialog), and the
  // form may not be destroyed under the core's feet then.
  int coreDepth_ = 0;
};

}  // namespace qx::win
