#pragma once
// The configuration dialogs on screen over a process context of their own:
// the real desktop port (which makes the dialog windows from their
// templates), the real dialog views, and stand-ins for the ports the
// dialogs reach through (help, menus, files, settings in memory).

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "monitor/Process.h"
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

// A menu that the user answers with the entry of a key set beforehand.
class AnsweredMenu final : public PopupMenu {
 public:
  explicit AnsweredMenu(const std::wstring& answer) : answer_(answer) {}
  void SetOwner(Hwnd, Hwnd) override {}
  void SetOption(int) override {}
  void AddEntry(std::wstring_view caption, int, std::wstring_view key) override {
    entries_.emplace_back(std::wstring(caption), std::wstring(key));
  }
  int ShowAt(int, int) override {
    shown = true;
    return IndexOf(answer_);
  }
  std::wstring KeyOf(int index) override {
    return index >= 1 && index <= static_cast<int>(entries_.size())
               ? entries_[static_cast<std::size_t>(index) - 1].second
               : L"";
  }
  int IndexOf(std::wstring_view key) override {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (!key.empty() && entries_[i].second == key) return static_cast<int>(i) + 1;
    }
    return 0;
  }
  void SetImage(int, int) override {}
  void SetCaption(int, std::wstring_view) override {}
  bool shown = false;

 private:
  const std::wstring& answer_;
  std::vector<std::pair<std::wstring, std::wstring>> entries_;
};

class AnsweredMenus final : public PopupMenuFactory {
 public:
  std::unique_ptr<PopupMenu> Create() override { return std::make_unique<AnsweredMenu>(answer); }
  std::wstring answer;
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
  AnsweredMenus menus;
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
