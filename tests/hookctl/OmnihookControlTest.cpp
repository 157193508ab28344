#include "hookctl/OmnihookControl.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/Text.h"
#include "platform/PlatformError.h"

namespace qx {
namespace {

// Records what the control asks of the system and the hook library.
class FakeHookLibrary final : public HookLibrary {
 public:
  std::wstring ControlFolder() override { return L"C:\\Program Files\\Quellix"; }
  ModuleHandle LoadLibrary(std::wstring_view path) override {
    calls.push_back("LoadLibrary " + ToUtf8(path));
    return present ? 0x7000 : 0;
  }
  void FreeLibrary(ModuleHandle) override { calls.push_back("FreeLibrary"); }
  ProcAddress GetProcAddress(ModuleHandle module, std::string_view name) override {
    return module != 0 ? 0x100 + name.size() : 0;
  }
  HookHandle SetWindowsHookEx(int kind, ProcAddress procedure, ModuleHandle,
                              std::uint32_t thread) override {
    calls.push_back("SetHook " + std::to_string(kind) + " thread " + std::to_string(thread));
    return procedure != 0 && !refuseHooks ? nextHook++ : 0;
  }
  bool UnhookWindowsHookEx(HookHandle hook) override {
    calls.push_back("Unhook " + std::to_string(hook));
    return true;
  }
  void CallbackInit(ModuleHandle module, std::int32_t notify, std::int32_t cbt, std::int32_t msg,
                    std::int32_t mouse, std::int32_t flag, std::int32_t reserved) override {
    if (module == 0) throw PlatformError(453, L"Can't find DLL entry point CallbackInit");
    callbacks.push_back({notify, cbt, msg, mouse, flag, reserved});
  }
  std::int32_t GetLastY(ModuleHandle) override { return lastY; }
  WindowProcToken ReplaceWindowProc(Hwnd window, WindowMessageHandler& h) override {
    calls.push_back("Subclass " + std::to_string(window));
    handler = &h;
    return 0xABC;
  }
  void RestoreWindowProc(Hwnd window, WindowProcToken previous) override {
    calls.push_back("Restore " + std::to_string(window) + " " + std::to_string(previous));
    handler = nullptr;
  }
  std::intptr_t CallWindowProc(WindowProcToken previous, Hwnd, std::uint32_t message,
                               std::uintptr_t, std::intptr_t) override {
    passedOn.push_back(message);
    return static_cast<std::intptr_t>(previous);
  }
  Hwnd GetParent(Hwnd window) override {
    const auto it = parents.find(window);
    return it == parents.end() ? 0 : it->second;
  }
  int GetWindowTextLength(Hwnd window) override {
    ++captionReads;
    const auto it = captions.find(window);
    return it == captions.end() ? 0 : static_cast<int>(it->second.size());
  }
  std::string GetWindowText(Hwnd window, int bufferChars) override {
    const std::string& text = captions[window];
    return text.substr(0, static_cast<std::size_t>(bufferChars - 1));
  }
  // Every window is a browser's web page dialog unless a test says
  // otherwise.
  bool IsWindow(Hwnd window) override { return window != 0 && gone.count(window) == 0; }
  std::wstring ClassName(Hwnd window) override {
    const auto it = classes.find(window);
    return it == classes.end() ? std::wstring(kWebDialogClass) : it->second;
  }
  bool IsChildWindow(Hwnd window) override { return children.count(window) > 0; }
  std::wstring WindowProgramFile(Hwnd window) override {
    const auto it = programs.find(window);
    return it == programs.end() ? L"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE"
                                : it->second;
  }
  void ReplyToSender() override {
    ++replies;
    order.push_back("reply");
  }
  void AdmitMessages(Hwnd window, std::uint32_t first, std::uint32_t last) override {
    admitted.push_back({window, first, last});
  }

  struct Init {
    std::int32_t notify, cbt, msg, mouse, flag, reserved;
  };
  bool present = true;
  bool refuseHooks = false;
  HookHandle nextHook = 11;
  std::int32_t lastY = 0;
  WindowMessageHandler* handler = nullptr;
  std::vector<std::string> calls;
  std::vector<Init> callbacks;
  std::vector<std::uint32_t> passedOn;
  std::map<Hwnd, Hwnd> parents;
  std::map<Hwnd, std::string> captions;
  int captionReads = 0;
  std::set<Hwnd> gone;
  std::set<Hwnd> children;
  std::map<Hwnd, std::wstring> classes;
  std::map<Hwnd, std::wstring> programs;
  int replies = 0;
  std::vector<std::string> order;
  struct Admitted {
    Hwnd window;
    std::uint32_t first, last;
  };
  std::vector<Admitted> admitted;
};

class RecordingHost final : public OmnihookEvents {
 public:
  void GetTextMsg(std::int32_t& hwnd) override { events.push_back("GetTextMsg " + N(hwnd)); }
  void NewWebDialog(std::int32_t& hwnd, std::wstring& caption) override {
    events.push_back("NewWebDialog " + N(hwnd) + " [" + ToUtf8(caption) + "]");
  }
  void LeftButtonDown(std::int32_t& x, std::int32_t& y, std::int32_t& hwnd) override {
    events.push_back("LeftButtonDown " + N(x) + "," + N(y) + " " + N(hwnd));
  }
  void LeftButtonUp(std::int32_t& x, std::int32_t& y, std::int32_t& hwnd) override {
    events.push_back("LeftButtonUp " + N(x) + "," + N(y) + " " + N(hwnd));
  }
  void NewWebDialogAdvise(std::int32_t& hwnd, std::int32_t& ie) override {
    events.push_back("NewWebDialogAdvise " + N(hwnd) + " " + N(ie));
  }
  static std::string N(std::int32_t v) { return std::to_string(v); }
  std::vector<std::string> events;
};

constexpr Hwnd kWindow = 0x500;

class OmnihookControlTest : public ::testing::Test {
 protected:
  std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    EXPECT_NE(lib.handler, nullptr);
    return lib.handler->WindowProc(kWindow, message, wParam, lParam);
  }
  Windows1252Codec codec;
  FakeHookLibrary lib;
  HookState state;
  RecordingHost host;
  OmnihookControl control{state, lib, codec, kWindow, &host};
};

TEST_F(OmnihookControlTest, InitializeLoadsTheLibraryFromItsFolderAndTakesTheWindowOnce) {
  control.Initialize();
  control.Initialize();
  EXPECT_EQ(lib.calls,
            (std::vector<std::string>{"LoadLibrary C:\\Program Files\\Quellix\\catchwire.dll",
                                      "Subclass 1280"}));
  EXPECT_TRUE(state.Initialized);
  EXPECT_EQ(state.NotifyWindow, kWindow);
  EXPECT_EQ(state.Owner, &control);
}

TEST_F(OmnihookControlTest, InstallsPassTheCurrentHandlesAndTheFlag) {
  control.InstallMouseHook();  // before Initialize: nothing
  EXPECT_TRUE(lib.callbacks.empty());
  control.Initialize();
  control.InstallCBTHook(true);
  control.InstallMouseHook();
  control.InstallMsgHook();
  control.InstallMsgHook();  // twice: nothing more
  ASSERT_EQ(lib.callbacks.size(), 3u);
  EXPECT_EQ(lib.callbacks[0].cbt, 11);
  EXPECT_EQ(lib.callbacks[0].flag, 1);
  EXPECT_EQ(lib.callbacks[1].mouse, 12);
  EXPECT_EQ(lib.callbacks[1].flag, 1);  // the flag last stored
  EXPECT_EQ(lib.callbacks[2].msg, 13);
  EXPECT_EQ(lib.callbacks[2].notify, static_cast<std::int32_t>(kWindow));
  EXPECT_EQ(lib.callbacks[2].reserved, 0);

  control.RemoveCBTHook();
  EXPECT_EQ(lib.callbacks.size(), 3u);  // removing does not tell the library
  control.RemoveMouseHook();
  control.InstallMouseHook();
  EXPECT_EQ(lib.callbacks.back().cbt, 0);
  EXPECT_EQ(lib.callbacks.back().mouse, 14);
}

TEST_F(OmnihookControlTest, AHookThatCouldNotBeSetCanBeInstalledAgain) {
  control.Initialize();
  lib.refuseHooks = true;
  control.InstallMsgHook();
  EXPECT_EQ(lib.callbacks.back().msg, 0);
  lib.refuseHooks = false;
  control.InstallMsgHook();
  EXPECT_EQ(lib.callbacks.back().msg, 11);
}

TEST_F(OmnihookControlTest, AMissingLibraryFailsTheInstall) {
  lib.present = false;
  control.Initialize();
  EXPECT_THROW(control.InstallMouseHook(), PlatformError);
}

TEST_F(OmnihookControlTest, UninitializeTearsDownInOrderAndInitializeWorksAgain) {
  control.Initialize();
  control.InstallCBTHook(false);
  control.InstallMsgHook();
  control.InstallMouseHook();
  lib.calls.clear();
  control.Uninitialize();
  EXPECT_EQ(lib.calls, (std::vector<std::string>{"Unhook 11", "Unhook 12", "Unhook 13",
                                                 "Restore 1280 2748", "FreeLibrary"}));
  EXPECT_FALSE(control.Initialized());
  EXPECT_EQ(state.NotifyWindow, 0u);
  control.Uninitialize();  // again: nothing
  EXPECT_EQ(lib.calls.size(), 5u);
  control.InstallMouseHook();  // state not initialised: nothing
  EXPECT_EQ(lib.calls.size(), 5u);
  control.Initialize();
  control.InstallMouseHook();
  EXPECT_EQ(lib.callbacks.back().mouse, 14);
}

TEST_F(OmnihookControlTest, RemovingWorksUninitialised) {
  state.MsgHook = 42;
  control.RemoveMsgHook();
  EXPECT_EQ(state.MsgHook, 0u);
  EXPECT_EQ(lib.calls, std::vector<std::string>{"Unhook 42"});
}

TEST_F(OmnihookControlTest, TheSharedStateBelongsToTheFirstInstance) {
  RecordingHost otherHost;
  OmnihookControl other(state, lib, codec, 0x600, &otherHost);
  other.Uninitialize();  // never initialised: nothing, although the state is not either
  control.Initialize();
  other.Initialize();  // changes only its own flag
  EXPECT_EQ(state.Owner, &control);
  EXPECT_EQ(std::count(lib.calls.begin(), lib.calls.end(), "FreeLibrary"), 0);
  Send(kHookNotifyText, 0x77, 0);
  EXPECT_EQ(host.events, std::vector<std::string>{"GetTextMsg 119"});
  EXPECT_TRUE(otherHost.events.empty());
  other.Uninitialize();  // tears down what the first one set up
  EXPECT_FALSE(state.Initialized);
  EXPECT_EQ(std::count(lib.calls.begin(), lib.calls.end(), "FreeLibrary"), 1);
}

TEST_F(OmnihookControlTest, TerminationOfAnInitialisedInstanceTearsDown) {
  {
    RecordingHost h;
    OmnihookControl temporary(state, lib, codec, 0x600, &h);
    temporary.Initialize();
    temporary.InstallMouseHook();
  }
  EXPECT_FALSE(state.Initialized);
  EXPECT_EQ(state.MouseHook, 0u);
  EXPECT_EQ(state.Owner, nullptr);
}

TEST_F(OmnihookControlTest, DialogCaptionsEndingInTheSuffixRaiseNewWebDialog) {
  struct Case {
    std::string caption;
    std::string event;  // "" for none
  };
  const std::vector<Case> cases = {
      {"Survey -- Web Page Dialog", "NewWebDialog 16 [Survey ]"},
      {"-- WEB PAGE DIALOG", "NewWebDialog 16 []"},
      {"x-- web page dialog", "NewWebDialog 16 [x]"},
      {"-- web page dialo", ""},  // 17 characters
      {"Survey - Web Page Dialog", ""},
      {"", ""},
      {"\xE9t\xE9 -- Web Page Dialog", "NewWebDialog 16 [\xC3\xA9t\xC3\xA9 ]"},
      {std::string(29990, 'a') + "-- web page dialog", ""},  // 30 008 characters: too long
      {std::string(29981, 'a') + "-- web page dialog",
       "NewWebDialog 16 [" + std::string(29981, 'a') + "]"},  // 29 999
  };
  control.Initialize();
  for (const auto& c : cases) {
    host.events.clear();
    lib.captions[16] = c.caption;
    EXPECT_EQ(Send(kHookNotifyDialog, 16, 0), 0);
    if (c.event.empty()) {
      EXPECT_TRUE(host.events.empty()) << c.caption.substr(0, 40);
    } else {
      EXPECT_EQ(host.events, std::vector<std::string>{c.event}) << c.caption.substr(0, 40);
    }
  }
}

TEST_F(OmnihookControlTest, DialogAdviceNamesTheTopLevelWindowAndReadsNoCaption) {
  control.Initialize();
  lib.parents = {{0x30, 0x20}, {0x20, 0x10}};
  lib.captions[16] = "Survey -- Web Page Dialog";
  Send(kHookNotifyDialog, 16, 0x30);
  Send(kHookNotifyDialog, 17, 0x10);  // a window without a parent is its own top
  EXPECT_EQ(host.events,
            (std::vector<std::string>{"NewWebDialogAdvise 16 16", "NewWebDialogAdvise 17 16"}));
  EXPECT_EQ(lib.captionReads, 0);
}

TEST_F(OmnihookControlTest, ButtonsCarryTheLibrarysYAndOtherMessagesPassOn) {
  control.Initialize();
  lib.lastY = 240;
  Send(kHookNotifyButtonDown, 100, 0x99);
  lib.lastY = -5;
  Send(kHookNotifyButtonUp, 101, 0x99);
  EXPECT_EQ(host.events,
            (std::vector<std::string>{"LeftButtonDown 100,240 153", "LeftButtonUp 101,-5 153"}));
  EXPECT_EQ(Send(0x000F, 0, 0), 0xABC);  // WM_PAINT goes to the old procedure
  EXPECT_EQ(lib.passedOn, std::vector<std::uint32_t>{0x000F});
}

TEST_F(OmnihookControlTest, ForgedReportsRaiseNothing) {
  // Any program may send these messages once the window admits them from
  // lower integrity levels: only reports whose windows are what they claim
  // raise events.
  struct Case {
    const char* what;
    std::function<void(FakeHookLibrary&)> forge;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
  };
  const std::vector<Case> cases = {
      {"dialog gone", [](auto& l) { l.gone.insert(16); }, kHookNotifyDialog, 16, 0},
      {"advice for a dialog gone", [](auto& l) { l.gone.insert(16); }, kHookNotifyDialog, 16, 0x30},
      {"advice with its browser gone", [](auto& l) { l.gone.insert(0x30); }, kHookNotifyDialog, 16,
       0x30},
      {"a child window", [](auto& l) { l.children.insert(16); }, kHookNotifyDialog, 16, 0},
      {"another class", [](auto& l) { l.classes[16] = L"#32770"; }, kHookNotifyDialog, 16, 0},
      {"another program's window", [](auto& l) { l.programs[16] = L"C:\\Tools\\notiexplore.exe"; },
       kHookNotifyDialog, 16, 0x30},
      {"a program that cannot be read", [](auto& l) { l.programs[16] = L""; }, kHookNotifyDialog,
       16, 0},
      {"caption of a window gone", [](auto& l) { l.gone.insert(16); }, kHookNotifyText, 16, 0},
      {"press on a window gone", [](auto& l) { l.gone.insert(0x99); }, kHookNotifyButtonDown, 5,
       0x99},
      {"release on no window", [](auto&) {}, kHookNotifyButtonUp, 5, 0},
  };
  control.Initialize();
  WindowMessageHandler* const handler = lib.handler;
  for (const auto& c : cases) {
    lib = FakeHookLibrary{};
    lib.handler = handler;
    host.events.clear();
    lib.captions[16] = "Survey -- Web Page Dialog";
    c.forge(lib);
    EXPECT_EQ(Send(c.message, c.wParam, c.lParam), 0) << c.what;
    EXPECT_TRUE(host.events.empty()) << c.what;
    EXPECT_TRUE(lib.calls.empty()) << c.what;  // and nothing is closed or hooked
  }
}

TEST_F(OmnihookControlTest, OtherBrowsersDialogsCountWithoutTheBrowserCheck) {
  control.Initialize();
  control.InstallCBTHook(true);
  lib.programs[16] = L"C:\\Tools\\shell.exe";
  lib.captions[16] = "Survey -- Web Page Dialog";
  Send(kHookNotifyDialog, 16, 0);
  EXPECT_EQ(host.events, std::vector<std::string>{"NewWebDialog 16 [Survey ]"});
}

TEST_F(OmnihookControlTest, ASentDialogReportIsAnsweredBeforeItsEvent) {
  // The host's decision calls into the browser's process, which COM refuses
  // while the library's send is unanswered.
  struct Host final : OmnihookEvents {
    FakeHookLibrary* lib = nullptr;
    std::vector<int> repliesSeen;
    void GetTextMsg(std::int32_t&) override {}
    void NewWebDialog(std::int32_t&, std::wstring&) override {
      repliesSeen.push_back(lib->replies);
    }
    void LeftButtonDown(std::int32_t&, std::int32_t&, std::int32_t&) override {}
    void LeftButtonUp(std::int32_t&, std::int32_t&, std::int32_t&) override {}
    void NewWebDialogAdvise(std::int32_t&, std::int32_t&) override {
      repliesSeen.push_back(lib->replies);
    }
  } watcher;
  watcher.lib = &lib;
  control.SetEventSink(&watcher);
  control.Initialize();
  lib.captions[16] = "Survey -- Web Page Dialog";
  Send(kHookNotifyDialog, 16, 0x30);
  Send(kHookNotifyDialog, 16, 0);
  EXPECT_EQ(watcher.repliesSeen, (std::vector<int>{1, 2}));
  lib.gone.insert(17);
  Send(kHookNotifyDialog, 17, 0);  // a forged one is answered too: its sender must not wait
  EXPECT_EQ(lib.replies, 3);
}

TEST_F(OmnihookControlTest, InitializeAdmitsTheFourReportsFromLowerIntegrityLevels) {
  control.Initialize();
  ASSERT_EQ(lib.admitted.size(), 1u);
  EXPECT_EQ(lib.admitted[0].window, kWindow);
  EXPECT_EQ(lib.admitted[0].first, kHookNotifyDialog);
  EXPECT_EQ(lib.admitted[0].last, kHookNotifyButtonUp);
}

TEST_F(OmnihookControlTest, HandlesWithBit31SetAreTheSameWindowFromEitherBitness) {
  control.Initialize();
  const Hwnd dialog = HwndFromLong(static_cast<std::int32_t>(0x80001230u));
  lib.captions[dialog] = "Survey -- Web Page Dialog";
  Send(kHookNotifyDialog, dialog, 0);       // a 64-bit sender: sign-extended
  Send(kHookNotifyDialog, 0x80001230u, 0);  // a 32-bit sender's WPARAM: zero-extended
  Send(kHookNotifyButtonDown, 1, static_cast<std::intptr_t>(dialog));
  const std::string n = std::to_string(static_cast<std::int32_t>(0x80001230u));
  EXPECT_EQ(host.events, (std::vector<std::string>{"NewWebDialog " + n + " [Survey ]",
                                                   "NewWebDialog " + n + " [Survey ]",
                                                   "LeftButtonDown 1,0 " + n}));
  EXPECT_EQ(HwndFromLong(static_cast<std::int32_t>(0x80001230u)), dialog);
}

// The other bitness's helper: records what it was told.
class FakePeer final : public HookPeer {
 public:
  void Apply(const PeerHooks& hooks) override { applied.push_back(hooks); }
  void Stop() override { ++stops; }
  bool Reports(Hwnd window) override { return theirs.count(window) > 0; }
  std::int32_t GetLastY() override { return lastY; }

  std::vector<PeerHooks> applied;
  int stops = 0;
  std::set<Hwnd> theirs;
  std::int32_t lastY = 0;
};

class OmnihookPeerTest : public OmnihookControlTest {
 protected:
  PeerHooks Hooks(bool cbt, bool msg, bool mouse, std::int32_t flag) {
    PeerHooks h;
    h.NotifyWindow = static_cast<std::int32_t>(kWindow);
    h.Cbt = cbt;
    h.Msg = msg;
    h.Mouse = mouse;
    h.NoBrowserCheck = flag;
    return h;
  }
  FakePeer peer;
  OmnihookControl both{state, lib, codec, kWindow, &host, &peer};
};

TEST_F(OmnihookPeerTest, TheHelperMirrorsEveryInstallAndRemove) {
  both.InstallCBTHook(true);  // before Initialize: nothing
  EXPECT_TRUE(peer.applied.empty());
  both.Initialize();
  both.InstallCBTHook(true);
  both.InstallMsgHook();
  both.InstallMsgHook();  // already there: nothing more
  both.RemoveCBTHook();
  both.InstallMouseHook();
  EXPECT_EQ(peer.applied,
            (std::vector<PeerHooks>{Hooks(true, false, false, 1), Hooks(true, true, false, 1),
                                    Hooks(false, true, false, 1), Hooks(false, true, true, 1)}));
  EXPECT_EQ(peer.stops, 0);
  both.RemoveMsgHook();
  both.RemoveMouseHook();  // nothing left to hook: the helper ends
  EXPECT_EQ(peer.applied.back(), Hooks(false, false, true, 1));
  EXPECT_EQ(peer.stops, 1);
}

TEST_F(OmnihookPeerTest, UninitializeAndTerminationEndTheHelper) {
  both.Initialize();
  both.InstallMouseHook();
  both.Uninitialize();
  EXPECT_EQ(peer.stops, 1);
  auto last = std::make_unique<OmnihookControl>(state, lib, codec, kWindow, &host, &peer);
  last->Initialize();
  last->InstallMouseHook();
  {
    OmnihookControl other{state, lib, codec, kWindow, &host, &peer};
  }  // an instance never initialised: its end changes nothing
  EXPECT_EQ(peer.stops, 1);
  last.reset();  // the program ends
  EXPECT_EQ(peer.stops, 2);
}

TEST_F(OmnihookPeerTest, AHookThatFailedHereIsNotAskedOfTheHelper) {
  both.Initialize();
  lib.refuseHooks = true;
  both.InstallMsgHook();
  EXPECT_TRUE(peer.applied.empty());
  EXPECT_EQ(peer.stops, 1);
}

TEST_F(OmnihookPeerTest, EachButtonReportTakesItsYFromTheLibraryThatSentIt) {
  both.Initialize();
  both.InstallMouseHook();
  constexpr Hwnd kTheirs = 0x700;
  constexpr Hwnd kOurs = 0x800;
  peer.theirs.insert(kTheirs);
  peer.lastY = 32;
  lib.lastY = 64;
  Send(kHookNotifyButtonDown, 5, static_cast<std::intptr_t>(kTheirs));
  Send(kHookNotifyButtonUp, 6, static_cast<std::intptr_t>(kOurs));
  EXPECT_EQ(host.events,
            (std::vector<std::string>{"LeftButtonDown 5,32 1792", "LeftButtonUp 6,64 2048"}));
}

}  // namespace
}  // namespace qx
