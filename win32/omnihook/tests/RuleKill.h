#pragma once
// What the program does with a caption report when window rules exist, for
// the tests and the benchmark of the hook host: the core's window rules
// decide, and a window they condemn is sent WM_CLOSE.

#include <windows.h>

#include <set>
#include <string_view>

#include "fuzz/MemoryFiles.h"
#include "platform/HookControl.h"
#include "rules/Windows.h"
#include "win32/com/WinAnsiCodec.h"

namespace qx::win::test {

class RuleKill {
 public:
  // One rule for every program: the caption contains `phrase`.
  explicit RuleKill(std::wstring_view phrase);
  // Reads the window's caption and closes it when the rule says so; a
  // window is closed once.
  void Check(LONG window);
  int Killed() const { return static_cast<int>(closed_.size()); }

 private:
  // The rules install the message hook themselves; here the test does.
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

  fuzz::MemoryFiles files_;
  NoHooks hooks_;
  WinAnsiCodec ansi_;
  Windows rules_;
  std::set<LONG> closed_;
};

}  // namespace qx::win::test
