#pragma once
// The troubleshooting dialog: the compatibility switches the options dialog
// does not show. Nothing is stored until OK.

#include <array>
#include <functional>

#include "settings/Settings.h"
#include "ui/FormModel.h"

namespace qx {

class Process;

struct ExtraOption {
  std::wstring_view name;  // the control's name; empty when it has none
  std::wstring_view caption;
  Option option;
  bool byDefault;
};

// In the order the dialog loads and stores them.
inline constexpr std::array<ExtraOption, 8> kExtraOptions = {{
    {L"", L"Enable ExplorerFix", Option::ExplorerFix, false},
    {L"",
     L"Enable safety checks to prevent Quellix from closing sytem windows and windows without "
     L"captions",
     Option::SystemWindowCheck, true},
    {L"", L"Enable JSLFix", Option::JSLoopFix, true},
    {L"XPingDisabled", L"Disable IEPING", Option::PingDisabled, false},
    {L"XForceCompatibility", L"Force compatibility with 3rd-party browsers",
     Option::ForceCompatibility, true},
    {L"XDisableIPC", L"Disable IPC procedures", Option::DisableIPC, false},
    {L"XCancelClickFix", L"Enable CancelClickFix", Option::CancelClickFix, false},
    {L"XCompatibleWDBK", L"Enable web dialog box handling for 3rd-party browsers",
     Option::CompatibleWDBK, false},
}};

class ExtraOptionsForm final : public FormModel {
 public:
  // closed: runs when the dialog has been unloaded.
  ExtraOptionsForm(Process& process, std::function<void()> closed);
  ~ExtraOptionsForm() override;

  // Loads the check boxes and shows the dialog modally.
  void ShowModal();
  void Unload();
  // Closing the window stores nothing, as Cancel.
  void CloseBox() override { Unload(); }
  const Control& Box(std::size_t index) const { return *boxes_[index]; }

 private:
  void Load();
  void Ok();

  Process& process_;
  std::function<void()> closed_;
  std::array<Control*, kExtraOptions.size()> boxes_{};
};

}  // namespace qx
