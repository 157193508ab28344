// The hook control's window procedure on any message the hook library (or
// anyone else) may send: captions of any length or content, parent chains
// that loop, messages it does not know. Each message raises at most one
// event, answers at once, and passes on what is not its own.

#include <cstring>
#include <vector>

#include "base/AnsiCodec.h"
#include "fuzz/FuzzSupport.h"
#include "hookctl/OmnihookControl.h"

namespace qx::fuzz {
namespace {

constexpr std::intptr_t kPassedOn = 0x5EED;

// Captions and parents come from the input; the window procedure token is
// never a real one.
class FuzzLibrary final : public HookLibrary {
 public:
  std::string caption;
  int claimedLength = 0;
  std::uint8_t parentStep = 0;
  int parentCalls = 0;
  int passedOn = 0;

  std::wstring ControlFolder() override { return L"C:\\Program Files\\Quellix"; }
  ModuleHandle LoadLibrary(std::wstring_view) override { return 0; }
  void FreeLibrary(ModuleHandle) override {}
  ProcAddress GetProcAddress(ModuleHandle, std::string_view) override { return 0; }
  HookHandle SetWindowsHookEx(int, ProcAddress, ModuleHandle, std::uint32_t) override { return 0; }
  bool UnhookWindowsHookEx(HookHandle) override { return true; }
  void CallbackInit(ModuleHandle, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    std::int32_t, std::int32_t) override {}
  std::int32_t GetLastY(ModuleHandle) override { return 7; }
  WindowProcToken ReplaceWindowProc(Hwnd, WindowMessageHandler&) override { return 1; }
  void RestoreWindowProc(Hwnd, WindowProcToken) override {}
  std::intptr_t CallWindowProc(WindowProcToken, Hwnd, std::uint32_t, std::uintptr_t,
                               std::intptr_t) override {
    ++passedOn;
    return kPassedOn;
  }
  // Windows 1..16 have parents among themselves; the step decides whether
  // the chain ends or loops.
  Hwnd GetParent(Hwnd window) override {
    ++parentCalls;
    if (window == 0 || window > 16 || parentStep == 0) return 0;
    const Hwnd parent = (window + parentStep) % 17;
    return parent;
  }
  int GetWindowTextLength(Hwnd) override { return claimedLength; }
  // Windows 1..16 exist, are web page dialogs of the browser, and window
  // 8 is a child; the rest are gone.
  bool IsWindow(Hwnd window) override { return window >= 1 && window <= 16; }
  std::wstring ClassName(Hwnd window) override {
    return window % 5 == 0 ? L"Other" : std::wstring(kWebDialogClass);
  }
  bool IsChildWindow(Hwnd window) override { return window == 8; }
  std::wstring WindowProgramFile(Hwnd window) override {
    return window % 7 == 0 ? L"" : L"c:\\program files\\internet explorer\\iexplore.exe";
  }
  void ReplyToSender() override {}
  void AdmitMessages(Hwnd, std::uint32_t, std::uint32_t) override {}
  // As GetWindowTextA: at most bufferChars - 1 characters.
  std::string GetWindowText(Hwnd, int bufferChars) override {
    if (bufferChars <= 0) return {};
    return caption.substr(0, static_cast<std::size_t>(bufferChars - 1));
  }
};

struct Events final : OmnihookEvents {
  int raised = 0;
  std::wstring lastCaption;
  std::int32_t lastHwnd = 0;
  void GetTextMsg(std::int32_t& hwnd) override { ++raised, lastHwnd = hwnd; }
  void NewWebDialog(std::int32_t& hwnd, std::wstring& caption) override {
    ++raised, lastHwnd = hwnd, lastCaption = caption;
  }
  void LeftButtonDown(std::int32_t&, std::int32_t&, std::int32_t& hwnd) override {
    ++raised, lastHwnd = hwnd;
  }
  void LeftButtonUp(std::int32_t&, std::int32_t&, std::int32_t& hwnd) override {
    ++raised, lastHwnd = hwnd;
  }
  void NewWebDialogAdvise(std::int32_t& hwnd, std::int32_t&) override { ++raised, lastHwnd = hwnd; }
};

template <class T>
T Take(std::string_view& bytes) {
  T value{};
  const std::size_t n = std::min(sizeof(T), bytes.size());
  std::memcpy(&value, bytes.data(), n);
  bytes.remove_prefix(n);
  return value;
}

}  // namespace
}  // namespace qx::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qx;
  using namespace qx::fuzz;
  auto [messages, caption] = SplitAtNul(Bytes(data, size));
  const Windows1252Codec ansi;
  FuzzLibrary library;
  library.caption = std::string(caption);
  Events events;
  HookState state;
  OmnihookControl control(state, library, ansi, 99, &events);

  // Each message: kind, claimed caption length, parent step, wParam, lParam.
  while (messages.size() >= 4) {
    const auto kind = Take<std::uint8_t>(messages);
    library.claimedLength = Take<std::int16_t>(messages) * (kind & 0x80 ? 4 : 1);
    library.parentStep = Take<std::uint8_t>(messages);
    const auto wParam = static_cast<std::uintptr_t>(Take<std::uint32_t>(messages));
    const auto lParam = static_cast<std::intptr_t>(Take<std::int32_t>(messages));
    const std::uint32_t message = (kind & 0x7F) < 8 ? kWmApp + (kind & 0x7F) : kind;
    const bool own = message >= kHookNotifyDialog && message <= kHookNotifyButtonUp;

    const int raisedBefore = events.raised;
    const int passedBefore = library.passedOn;
    library.parentCalls = 0;
    const std::intptr_t answer = control.NotifyWindowProc(99, message, wParam, lParam);
    QX_FUZZ_CHECK(events.raised - raisedBefore <= 1);
    QX_FUZZ_CHECK(library.parentCalls <= 4096);
    if (!own) {
      QX_FUZZ_CHECK(answer == kPassedOn && library.passedOn == passedBefore + 1);
      QX_FUZZ_CHECK(events.raised == raisedBefore);
      continue;
    }
    QX_FUZZ_CHECK(answer == 0 && library.passedOn == passedBefore);
    // Only a report whose window exists raises an event, and names it.
    if (events.raised > raisedBefore)
      QX_FUZZ_CHECK(library.IsWindow(HwndFromLong(events.lastHwnd)));
    if (message == kHookNotifyDialog && lParam == 0 && events.raised > raisedBefore) {
      // A web page dialog's title is its caption without the suffix.
      const std::size_t read =
          std::min(caption.size(), static_cast<std::size_t>(library.claimedLength) + 4);
      const std::wstring whole = ansi.Decode(caption.substr(0, read));
      QX_FUZZ_CHECK(whole.size() == events.lastCaption.size() + kWebDialogSuffix.size());
      QX_FUZZ_CHECK(whole.starts_with(events.lastCaption));
      QX_FUZZ_CHECK(LowerCase(whole.substr(events.lastCaption.size())) == kWebDialogSuffix);
    }
    if (events.raised > raisedBefore) {
      QX_FUZZ_CHECK(events.lastHwnd ==
                    static_cast<std::int32_t>(static_cast<std::uint32_t>(
                        message == kHookNotifyButtonDown || message == kHookNotifyButtonUp
                            ? static_cast<std::uintptr_t>(lParam)
                            : wParam)));
    }
  }
  return 0;
}
