#pragma once
// The dialog that adds or edits one website rule. Modal: Show* return at
// once and call `returned` when the user has closed the dialog and the
// rule is stored (a view that runs a real modal loop calls it from inside
// that loop).

#include <functional>
#include <string>
#include <string_view>

#include "ui/FormModel.h"

namespace qx {

class Process;

inline constexpr std::wstring_view kSampleWebsite = L"www.example.com";

class WebsiteRuleForm final : public FormModel {
 public:
  explicit WebsiteRuleForm(Process& process);
  ~WebsiteRuleForm() override;

  void ShowNew(std::function<void()> returned);
  void ShowEdit(std::wstring url, std::int32_t ruleType, bool matchSubdomains,
                std::function<void()> returned);
  void Unload();
  // Closing the window is Cancel: the rule stays as it was.
  void CloseBox() override;

  // "http://" in front of a URL without a protocol.
  static std::wstring AttachProtocol(std::wstring_view url);
  // The description of the rule at a RuleCombo position.
  static std::wstring DescriptionTitle(int position);
  static std::wstring DescriptionText(int position);
  static std::int32_t RuleTypeAt(int position) { return position + 1; }
  // The RuleCombo position that shows a rule type: -1 for a type the combo
  // does not offer. Type 4 kills as type 3 does, so it shows as that.
  static int PositionOf(std::int32_t ruleType);

 private:
  void Load();
  void ShowModal(std::function<void()> onReturn);
  void Hide();
  void FillDescription();
  void Store(std::wstring_view removeFirst, bool edit);

  Process& process_;
  std::function<void()> onReturn_;
  // In edit mode: the rule's type and the position it started at. A
  // selection the user left alone keeps the type (a 4 stays a 4).
  std::int32_t editedType_ = 0;
  int editedPosition_ = -1;
  Control* urlText_ = nullptr;
  Control* ruleCombo_ = nullptr;
  Control* subdomains_ = nullptr;
  Control* descFrame_ = nullptr;
  Control* descTitle_ = nullptr;
  Control* descText_ = nullptr;
  Control* tipsFrame_ = nullptr;
};

}  // namespace qx
