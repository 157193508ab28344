#pragma once
// The real program (its start routine, process context and main form) over
// the browser adapters and minimal stand-ins for every other port: files in
// memory, a settings store in memory, no hooks, no tray, no sounds. What
// the program does to browsers goes through the adapters to COM objects.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/AnsiCodec.h"
#include "base/Text.h"
#include "context/Process.h"
#include "monitor/MainForm.h"
#include "monitor/StartupModule.h"
#include "platform/MenuEntries.h"
#include "platform/Platform.h"
#include "ui/DialogHost.h"
#include "ui/FormModel.h"
#include "win32/ports/WinUrlUnescaper.h"

namespace qx::win::testing {

class MemoryStore final : public SettingsStore {
 public:
  std::optional<std::wstring> Get(std::wstring_view app, std::wstring_view section,
                                  std::wstring_view name) override {
    const auto it = values.find(Key(app, section, name));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void Put(std::wstring_view app, std::wstring_view section, std::wstring_view name,
           std::wstring_view value) override {
    values[Key(app, section, name)] = std::wstring(value);
  }
  void Delete(std::wstring_view app, std::wstring_view section, std::wstring_view name) override {
    values.erase(Key(app, section, name));
  }
  static std::wstring Key(std::wstring_view app, std::wstring_view section,
                          std::wstring_view name) {
    return std::wstring(app) + L"\\" + std::wstring(section) + L"\\" + std::wstring(name);
  }
  std::map<std::wstring, std::wstring> values;
};

class NoRegistry final : public Registry {
 public:
  RegOpen OpenKey(RegRoot, std::wstring_view) override { return {}; }
  RegOpen CreateKey(RegRoot, std::wstring_view) override { return {kRegSuccess, 1}; }
  std::int32_t SetValue(RegKey, std::wstring_view, const RegValue&) override { return kRegSuccess; }
  std::int32_t QueryValue(RegKey, std::wstring_view, RegValue&) override {
    return kRegFileNotFound;
  }
  std::int32_t DeleteValue(RegKey, std::wstring_view) override { return kRegFileNotFound; }
  std::int32_t DeleteKey(RegRoot, std::wstring_view) override { return kRegFileNotFound; }
  std::int32_t CloseKey(RegKey) override { return kRegSuccess; }
};

class MemoryFiles final : public FileSystem {
 public:
  std::wstring ProgramFolder() const override { return L"C:\\Program Files\\Quellix"; }
  bool Exists(std::wstring_view path) override { return files.count(Key(path)) > 0; }
  std::int64_t Size(std::wstring_view path) override {
    return static_cast<std::int64_t>(Find(path).size());
  }
  std::string ReadAll(std::wstring_view path) override { return Find(path); }
  void WriteAll(std::wstring_view path, std::string_view bytes) override {
    files[Key(path)] = std::string(bytes);
  }
  void Append(std::wstring_view path, std::string_view bytes) override {
    files[Key(path)] += std::string(bytes);
  }
  void Rename(std::wstring_view from, std::wstring_view to) override {
    const std::string data = Find(from);
    if (Exists(to)) throw PlatformError(kErrFileExists, L"File already exists", L"Rename");
    files.erase(Key(from));
    files[Key(to)] = data;
  }
  void Remove(std::wstring_view path) override {
    if (!files.erase(Key(path))) Missing();
  }
  std::map<std::wstring, std::string> files;

 private:
  static std::wstring Key(std::wstring_view path) { return LowerCase(path); }
  [[noreturn]] static void Missing() {
    throw PlatformError(kErrFileNotFound, L"File not found", L"Files");
  }
  const std::string& Find(std::wstring_view path) {
    const auto it = files.find(Key(path));
    if (it == files.end()) Missing();
    return it->second;
  }
};

class FixedClock final : public Clock {
 public:
  LocalTime Now() override { return LocalTime{2004, 6, 1, 12, 0, 0, 0}; }
  std::wstring ShortDateText(const LocalTime&) override { return L"6/1/2004"; }
  std::wstring TimeText(const LocalTime&) override { return L"12:00:00 PM"; }
};

class CountingRandom final : public RandomSource {
 public:
  void Seed(std::uint32_t seed) override { next_ = seed; }
  std::uint32_t Below(std::uint32_t bound) override { return bound ? next_++ % bound : 0; }
  std::uint32_t SecureBelow(std::uint32_t bound) override {
    return bound ? (next_++ * 7919u + 3u) % bound : 0;
  }

 private:
  std::uint32_t next_ = 1;
};

class QuietDesktop final : public Desktop {
 public:
  std::wstring WindowText(Hwnd, int) override { return L""; }
  std::wstring ClassName(Hwnd, int) override { return L""; }
  Hwnd Parent(Hwnd) override { return 0; }
  std::uint32_t ExStyle(Hwnd) override { return 0; }
  ProcessId WindowProcessId(Hwnd) override { return 0; }
  std::wstring WindowModuleFileName(Hwnd, int) override { return L""; }
  std::wstring ProcessFirstModuleFileName(ProcessId, int) override { return L""; }
  void PostCloseMessage(Hwnd window) override { closed.push_back(window); }
  OsVersionInfo Version() override { return OsVersionInfo{5, 1, 2600, 2, L"Service Pack 2"}; }
  ProcessId CurrentProcessId() override { return 100; }
  Hwnd CreateOwnWindow(std::wstring_view, std::wstring_view) override { return next_++; }
  void DestroyOwnWindow(Hwnd) override {}
  void SetForegroundWindow(Hwnd) override {}
  void PostNullMessage(Hwnd) override {}
  void CursorPos(int& x, int& y) override { x = y = 0; }
  bool PreviousInstance() override { return false; }
  std::vector<Hwnd> closed;

 private:
  Hwnd next_ = 0x5000;
};

class NoShell final : public Shell {
 public:
  void Open(std::wstring_view) override {}
  void ShowHelp(std::wstring_view) override {}
};

class RecordedMessages final : public MessageBoxes {
 public:
  void ShowMessage(std::wstring_view text, std::wstring_view) override { shown.emplace_back(text); }
  std::vector<std::wstring> shown;
};

class OkErrorDialog final : public ErrorDialogView {
 public:
  Hwnd Load() override { return 1; }
  // The user presses OK at once.
  void ShowModal(FormModel& form) override {
    ++shown;
    form.Click(L"OK");
  }
  void Unload() override {}
  int shown = 0;
};

class AbortingProcess final : public ProcessControl {
 public:
  [[noreturn]] void EndNow() override { std::abort(); }
};

class NoHooks final : public HookControl {
 public:
  void Initialize() override {}
  void InstallCBTHook(bool) override {}
  void InstallMsgHook() override {}
  void InstallMouseHook() override {}
  void RemoveCBTHook() override {}
  void RemoveMsgHook() override {}
  void RemoveMouseHook() override {}
  void Uninitialize() override {}
  void SetEventSink(OmnihookEvents*) override {}
};

class IdleTimer final : public Timer {
 public:
  void SetEnabled(bool on) override { enabled_ = on; }
  bool Enabled() const override { return enabled_; }
  void SetInterval(std::uint32_t ms) override { interval_ = ms; }
  std::uint32_t Interval() const override { return interval_; }

 private:
  bool enabled_ = false;
  std::uint32_t interval_ = 0;
};

// Timers never tick by themselves; letting messages run runs this thread's
// pending window messages, where COM delivers what other apartments send.
class MessageThread final : public UiThread {
 public:
  std::unique_ptr<Timer> CreateTimer(std::uint32_t ms, std::function<void()>) override {
    auto timer = std::make_unique<IdleTimer>();
    timer->SetInterval(ms);
    return timer;
  }
  void DoEvents() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
};

class NoKeys final : public Keyboard {
 public:
  bool KeyDown(int) override { return false; }
};

class Silence final : public Sound {
 public:
  bool Play(std::wstring_view, std::uint32_t) override { return false; }
};

class FixedWorkArea final : public WorkArea {
 public:
  Rect Get() override { return Rect{0, 0, 1024, 738}; }
};

// A notification area nobody sees. As the shell does, it finds an icon by
// its window and identifier: an icon is added once, and modified, given a
// notice or deleted only while it is there.
class NoTray final : public NotificationArea {
 public:
  bool Add(const NotifyIconRecord& r) override { return icons_.insert({r.hWnd, r.uID}).second; }
  bool Modify(const NotifyIconRecord& r) override { return Has(r); }
  bool Delete(const NotifyIconRecord& r) override { return icons_.erase({r.hWnd, r.uID}) > 0; }
  bool ShowBalloon(const NotifyIconRecord& r, std::wstring_view title,
                   std::wstring_view text) override {
    // An empty text takes a notice down instead of showing one.
    if (!Has(r) || text.empty()) return false;
    balloons.push_back({std::wstring(title), std::wstring(text)});
    return true;
  }
  // Every notice shown (title, text), oldest first.
  std::vector<std::pair<std::wstring, std::wstring>> balloons;

 private:
  bool Has(const NotifyIconRecord& r) const { return icons_.count({r.hWnd, r.uID}) > 0; }
  std::set<std::pair<Hwnd, std::uint32_t>> icons_;
};

class BuiltInPictures final : public Pictures {
 public:
  PictureHandle BuiltIn(BuiltInPicture which) override {
    return static_cast<PictureHandle>(which) + 1;
  }
  PictureHandle Load(std::wstring_view) override {
    throw PlatformError(kErrFileNotFound, L"File not found", L"Pictures.Load");
  }
};

// A menu that lists its entries. Shown, it answers the entry whose key
// `answer` holds, or none when there is no answer or the user could not
// choose that entry on screen: a greyed entry, a heading, an entry that
// opens a submenu, or one inside a greyed entry's submenu.
class ListMenu final : public PopupMenu {
 public:
  explicit ListMenu(const std::wstring* answer = nullptr) : answer_(answer) {}
  void SetOwner(Hwnd, Hwnd) override {}
  void SetOption(int) override {}
  void AddEntry(std::wstring_view caption, int, std::wstring_view key) override {
    entries_.push_back({std::wstring(caption), std::wstring(key)});
  }
  int ShowAt(int, int) override {
    if (answer_ == nullptr || answer_->empty()) return 0;
    const int index = IndexOf(*answer_);
    return Choosable(entries_, index) ? index : 0;
  }
  std::wstring KeyOf(int index) override {
    const Entry* e = At(index);
    return e != nullptr ? e->key : L"";
  }
  int IndexOf(std::wstring_view key) override {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i].key == key) return static_cast<int>(i) + 1;
    }
    return 0;
  }
  void SetImage(int, int) override {}
  void SetCaption(int index, std::wstring_view caption) override {
    if (Entry* e = At(index)) e->caption = caption;
  }
  int AddSubEntry(int parent, std::wstring_view caption, std::wstring_view key) override {
    if (At(parent) == nullptr) throw PlatformError(kErrInvalidCall, L"No such entry", L"Menu");
    entries_.push_back({std::wstring(caption), std::wstring(key), parent});
    return static_cast<int>(entries_.size());
  }
  void ClearSubEntries(int parent) override {
    std::vector<int> renumber(entries_.size() + 1, 0);
    std::vector<Entry> kept;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      const int p = entries_[i].parent;
      // Children come after their parents: a dropped parent is known here.
      const bool gone = p != 0 && (p == parent || renumber[static_cast<std::size_t>(p)] == 0);
      if (gone) continue;
      kept.push_back(entries_[i]);
      kept.back().parent = renumber[static_cast<std::size_t>(p)];
      renumber[i + 1] = static_cast<int>(kept.size());
    }
    entries_ = std::move(kept);
  }
  void SetEnabled(int index, bool enabled) override {
    if (Entry* e = At(index)) e->enabled = enabled;
  }

 private:
  struct Entry {
    std::wstring caption;
    std::wstring key;
    int parent = 0;
    bool enabled = true;
  };
  Entry* At(int index) {
    if (index < 1 || index > static_cast<int>(entries_.size())) return nullptr;
    return &entries_[static_cast<std::size_t>(index) - 1];
  }
  const std::wstring* answer_;
  std::vector<Entry> entries_;
};

// Menus the user answers with the entry whose key `answer` holds.
class Menus final : public PopupMenuFactory {
 public:
  std::unique_ptr<PopupMenu> Create() override { return std::make_unique<ListMenu>(&answer); }
  std::wstring answer;
};

class NoInput final : public InputBox {
 public:
  // The user cancels the box.
  void ShowModal(FormModel& box) override { box.Click(L"Cancel"); }
};

class NoDialogs final : public DialogHost {
 public:
  void ShowOptions(int) override {}
  void ShowExtraOptionsModal() override {}
  void UnloadAll() override {}
};

// The stand-ins for the ports every test world shares; a world adds its
// desktop, shell, menus and the browsers' ports.
struct StandInPorts {
  Platform MakePlatform(Desktop& desktop, Shell& shell, PopupMenuFactory& menus,
                        ShellWindowList& shellWindows, BrowserFactory& browsers) {
    return Platform{store,    registry, files, clock,     random, desktop,      shell,   messages,
                    error,    control,  hooks, ui,        keys,   sound,        area,    tray,
                    pictures, menus,    input, unescaper, ansi,   shellWindows, browsers};
  }

  MemoryStore store;
  NoRegistry registry;
  MemoryFiles files;
  FixedClock clock;
  CountingRandom random;
  RecordedMessages messages;
  OkErrorDialog error;
  AbortingProcess control;
  NoHooks hooks;
  MessageThread ui;
  NoKeys keys;
  Silence sound;
  FixedWorkArea area;
  NoTray tray;
  BuiltInPictures pictures;
  NoInput input;
  WinUrlUnescaper unescaper;
  Windows1252Codec ansi;
};

// Every port but the browsers'; the test supplies those.
class ProgramWorld : public StandInPorts {
 public:
  ProgramWorld(ShellWindowList& shellWindows, BrowserFactory& browsers)
      : platform_(MakePlatform(desktop, shell, menus, shellWindows, browsers)) {}
  ~ProgramWorld() { Stop(); }
  ProgramWorld(const ProgramWorld&) = delete;
  ProgramWorld& operator=(const ProgramWorld&) = delete;

  void Option(std::wstring_view name, std::wstring_view value) {
    store.Put(kAppName, L"Options", name, value);
  }
  // The program starts as at log-on.
  bool Start() {
    return Main(L"auto", platform_, dialogs, process_, form_) == StartOutcome::Running;
  }
  void Stop() {
    form_.reset();
    if (process_) process_->EndOfLife();
    process_.reset();
  }
  Process& process() { return *process_; }
  MainForm& form() { return *form_; }
  Platform& platform() { return platform_; }

  QuietDesktop desktop;
  NoShell shell;
  Menus menus;
  NoDialogs dialogs;

 private:
  Platform platform_;
  std::unique_ptr<Process> process_;
  std::unique_ptr<MainForm> form_;
};

}  // namespace qx::win::testing
