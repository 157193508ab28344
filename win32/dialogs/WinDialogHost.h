#pragma once
// The program's dialogs on screen: the models' host, with a view over each
// loaded dialog. After every action it looks for dialogs that the action
// loaded, showed or unloaded: it makes and drops their views, shows the
// settings dialog, and runs a modal dialog's loop until it hides.

#include <windows.h>

#include <array>
#include <memory>
#include <string_view>
#include <vector>

#include "ui/FormHost.h"
#include "win32/dialogs/DialogView.h"

namespace qx::win {

class WinDialogHost final : public DialogHost {
 public:
  explicit WinDialogHost(FormHost& forms);
  ~WinDialogHost() override;
  WinDialogHost(const WinDialogHost&) = delete;
  WinDialogHost& operator=(const WinDialogHost&) = delete;

  void Attach(Process* process, BrowserHolds* holds) override;
  void ShowOptions(int page) override;
  void ShowExtraOptionsModal() override;
  void UnloadAll() override;

  // A message of the thread's loop: the dialogs' keys and keyboard
  // navigation. True when it was taken and must not be dispatched.
  bool PreTranslate(MSG& message);
  // Brings the views in line with the models (see above).
  void Sync();

  // The view of a loaded dialog by its name ("Options", "WebsiteRule",
  // "WindowRule", "ExtraOptions"); none when it has no view.
  DialogView* View(std::wstring_view name);

 private:
  static constexpr std::array<std::wstring_view, 4> kNames = {L"Options", L"WebsiteRule",
                                                              L"WindowRule", L"ExtraOptions"};
  // Drops the views whose windows are gone, unless one of their handlers
  // is still on the stack.
  void Collect();

  FormHost& forms_;
  std::array<std::unique_ptr<DialogView>, kNames.size()> views_;
  std::vector<std::unique_ptr<DialogView>> dropped_;
  int syncing_ = 0;
};

}  // namespace qx::win
