#pragma once
// The dialog that adds or edits one window rule. Modal in the same way as
// WebsiteRuleForm: `returned` runs once the user has closed it.

#include <functional>
#include <string>
#include <string_view>

#include "ui/FormModel.h"

namespace qx {

class Process;

inline constexpr std::wstring_view kWindowRuleExplanation =
    L"A window's caption is the text at the top (case-insensitive); for example, the caption of "
    L"this window is \"";

class WindowRuleForm final : public FormModel {
 public:
  // help: opens the help topic of the options dialog's selected tab.
  WindowRuleForm(Process& process, std::function<void()> help);
  ~WindowRuleForm() override;

  void ShowNew(std::function<void()> returned);
  void ShowEdit(std::wstring program, std::wstring caption, std::int32_t status,
                std::function<void()> returned);
  void Unload();
  // Closing the window is Cancel: the rule stays as it was.
  void CloseBox() override;

 private:
  void Load();
  void ShowModal(std::function<void()> onReturn);
  void Hide();
  void Store(const std::wstring* removeProgram, const std::wstring* removeCaption);
  void SelectAllWindows(bool all);

  Process& process_;
  std::function<void()> onReturn_;
  Control* captionText_ = nullptr;
  Control* ruleCombo_ = nullptr;
  Control* allWindows_ = nullptr;
  Control* oneProgram_ = nullptr;
  Control* moduleText_ = nullptr;
  Control* explanation_ = nullptr;
};

}  // namespace qx
