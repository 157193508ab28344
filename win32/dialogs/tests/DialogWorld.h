#pragma once
// The configuration dialogs on screen over a process context of their own:
// the real desktop port (which makes the dialog windows from their
// templates), the real dialog views, and stand-ins for the ports the
// dialogs reach through (help, menus, files, settings in memory).

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "context/Process.h"
#include "ui/FormHost.h"
#include "win32/browser/tests/TestWorld.h"
#include "win32/dialogs/WinDialogHost.h"
#include "win32/ports/WinDesktop.h"

namespace qx::win::testing {

class RecordingShell final : public Shell {
 public:
  void Open(std::wstring_view document) override { opened.emplace_back(document); }
  void ShowHelp(std::wstring_view location) override { help.emplace_back(location); }
  std::vector<std::wstring> opened;
  std::vector<std::wstring> help;
};

class NoShellWindows final : public ShellWindowList {
 public:
  int Count() override { return 0; }
  std::shared_ptr<Browser> Item(int) override { return nullptr; }
  std::unique_ptr<Connection> Connect(ShellWindowEvents&) override { return nullptr; }
};

class NoBrowsers final : public BrowserFactory {
 public:
  std::shared_ptr<Browser> NewBrowserWindow() override { return nullptr; }
};

class NoFileChosen final : public FileOpenDialog {
 public:
  std::optional<std::wstring> Show(const FileOpenRequest&) override { return std::nullopt; }
};

class DialogWorld : public StandInPorts {
 public:
  DialogWorld()
      : desktop(L"Local\\QuellixDialogTest." + std::to_wstring(GetCurrentProcessId())),
        platform_(MakePlatform(desktop, shell, menus, shellWindows, browsers)),
        forms(platform_, fileOpen),
        dialogs(forms) {
    desktop.SetWindowMaker(&CreateDialogWindow);
  }
  ~DialogWorld() {
    dialogs.UnloadAll();
    dialogs.Attach(nullptr, nullptr);
    if (process_) process_->Abandon();
  }
  DialogWorld(const DialogWorld&) = delete;
  DialogWorld& operator=(const DialogWorld&) = delete;

  // The process context comes, after the test has put what it wants into
  // the stores.
  Process& Start() {
    process_ = std::make_unique<Process>(platform_);
    dialogs.Attach(process_.get(), nullptr);
    return *process_;
  }
  Process& process() { return *process_; }

  // Runs the thread's waiting messages as the program's loop would.
  void Pump() {
    MSG message{};
    for (int round = 0; round < 3; ++round) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (dialogs.PreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      Sleep(10);
    }
  }

  WinDesktop desktop;
  RecordingShell shell;
  Menus menus;
  NoShellWindows shellWindows;
  NoBrowsers browsers;
  NoFileChosen fileOpen;

 private:
  Platform platform_;

 public:
  FormHost forms;
  WinDialogHost dialogs;

 private:
  std::unique_ptr<Process> process_;
};

}  // namespace qx::win::testing
