#pragma once
// A hook control that records the calls made to it, in order.

#include <string>
#include <vector>

#include "platform/HookControl.h"
#include "sim/FailureInjector.h"

namespace qx::sim {

class RecordingHookControl final : public HookControl {
 public:
  explicit RecordingHookControl(FailureInjector& failures) : failures_(failures) {}
  void Initialize() override { Record("Initialize"); }
  void InstallCBTHook(bool noBrowserCheck) override {
    Record(noBrowserCheck ? "InstallCBTHook(1)" : "InstallCBTHook(0)");
  }
  void InstallMsgHook() override { Record("InstallMsgHook"); }
  void InstallMouseHook() override { Record("InstallMouseHook"); }
  void RemoveCBTHook() override { Record("RemoveCBTHook"); }
  void RemoveMsgHook() override { Record("RemoveMsgHook"); }
  void RemoveMouseHook() override { Record("RemoveMouseHook"); }
  void Uninitialize() override { Record("Uninitialize"); }
  void SetEventSink(OmnihookEvents* sink) override { sink_ = sink; }
  OmnihookEvents* EventSink() const { return sink_; }

  const std::vector<std::string>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

 private:
  void Record(std::string call) {
    failures_.Check("HookControl." + call.substr(0, call.find('(')));
    calls_.push_back(std::move(call));
  }
  FailureInjector& failures_;
  std::vector<std::string> calls_;
  OmnihookEvents* sink_ = nullptr;
};

}  // namespace qx::sim
