#include "ui/WebsiteRuleForm.h"

#include "base/Text.h"
#include "context/Process.h"

namespace qx {
namespace {

struct Description {
  std::wstring_view title;
  std::wstring_view start;
  std::wstring_view quoted;
  std::wstring_view end;
};

constexpr Description kDescriptions[] = {
    {L"Allow Pop-up Windows",
     L"This website or page will be allowed to open new browser windows (pop-ups).  Please note "
     L"that unless you have changed the applicable setting in Advanced Browser options, websites "
     L"will not be allowed to open pop-up windows unless you set this rule for them.  More "
     L"conveniently, you can set this rule by right-clicking on a webpage in the browser and "
     L"clicking ",
     L"Allow Site's Pop-ups", L"."},
    {L"Disallow Pop-up Windows",
     L"This website or page will not be allowed to open new browser windows (pop-ups).  Please "
     L"note that unless you have changed the applicable setting in Advanced Browser options, "
     L"websites will not be allowed to open pop-up windows by default.  More conveniently, you "
     L"can set this rule by right-clicking on a webpage in the browser and clicking ",
     L"Disallow Site's Pop-ups", L"."},
    {L"Always Kill This Pop-up Window",
     L"Always Kill This Pop-up Window mode directs Quellix to automatically close new browser "
     L"windows (that are navigating to a page in the specified website) opened by other "
     L"applications, useful if a program such as your ISP connection software likes to open "
     L"pop-up ads (normally Quellix will not stop new browser windows created by other "
     L"programs).  It's usually easier to right-click on the offending pop-up window and select ",
     L"Always Kill This Pop-up",
     L" than to set this rule here; for more information, please consult Quellix Help."},
};

}  // namespace

WebsiteRuleForm::WebsiteRuleForm(Process& process) : process_(process) {
  Add({.kind = ControlKind::Label, .caption = L"URL:"});
  urlText_ = &Add(
      {.kind = ControlKind::TextBox, .name = L"URLText", .text = std::wstring(kSampleWebsite)});
  Add({.kind = ControlKind::Label, .caption = L"Rule:"});
  ruleCombo_ = &Add({.kind = ControlKind::ComboBox,
                     .name = L"RuleCombo",
                     .items = {L"Allow Website to Generate Pop-up Windows",
                               L"Do Not Allow Website to Generate Pop-up Windows",
                               L"Always Kill This Pop-up Window (advanced)"}});
  ruleCombo_->onClick = [this] { FillDescription(); };
  subdomains_ =
      &Add({.kind = ControlKind::CheckBox, .caption = L"Match all subdomains (advanced)"});
  descFrame_ = &Add({.kind = ControlKind::Frame, .name = L"DescriptionFrame"});
  descTitle_ = &Add({.kind = ControlKind::Label, .name = L"DescriptionTitle"});
  descText_ = &Add({.kind = ControlKind::Label, .name = L"DescriptionText"});
  tipsFrame_ = &Add(
      {.kind = ControlKind::Frame, .name = L"TipsFrame", .caption = L"URL Tips", .visible = false});
  const std::wstring_view kTips[] = {
      L"1. To add a rule that applies to only one webpage, enter the page's URL",
      L"(for example, http://www.example.com/ads/popup.html)",
      L"2. To add a rule that applies to all the pages in a website, enter the website's URL",
      L"(for example, http://www.example.com)",
      L"3. If \"Match all subdomains\" is checked, the rule applies to both the domain specified "
      L"by the URL and all subdomains as well.",
      L"(for example, example.com would also match ads.example.com)"};
  int line = 1;
  for (const std::wstring_view tip : kTips) {
    Add({.kind = ControlKind::Label,
         .name = L"Tip" + std::to_wstring(line++),
         .caption = std::wstring(tip),
         .visible = false});
  }
  Add({.kind = ControlKind::Label, .caption = L"Show:"});
  Add({.kind = ControlKind::Link, .caption = L"Description of Selected Rule"}).onClick = [this] {
    descFrame_->visible = descTitle_->visible = descText_->visible = true;
    for (Control& c : MutableControls()) {
      if (c.name.starts_with(L"Tip")) c.visible = false;
    }
  };
  Add({.kind = ControlKind::Link, .name = L"TipsLink", .caption = L"URL Tips"}).onClick = [this] {
    descFrame_->visible = descTitle_->visible = descText_->visible = false;
    for (Control& c : MutableControls()) {
      if (c.name.starts_with(L"Tip")) c.visible = true;
    }
  };
  Add({.kind = ControlKind::Button, .caption = L"&OK"}).onClick = [this] { Hide(); };
  Add({.kind = ControlKind::Button, .caption = L"&Cancel"}).onClick = [this] {
    urlText_->text.clear();
    Hide();
  };
  KeepDesignState();
}

WebsiteRuleForm::~WebsiteRuleForm() {
  Unload();
}

void WebsiteRuleForm::CloseBox() {
  if (!shown_) return;
  urlText_->text.clear();
  Hide();
}

std::wstring WebsiteRuleForm::AttachProtocol(std::wstring_view url) {
  const std::size_t colon = url.find(L':');
  if (colon == std::wstring_view::npos || colon + 1 >= url.size() ||
      (url[colon + 1] != L'/' && url[colon + 1] != L'\\')) {
    return L"http://" + std::wstring(url);
  }
  return std::wstring(url);
}

std::wstring WebsiteRuleForm::DescriptionTitle(int position) {
  if (position < 0 || position > 2) return L"";
  return std::wstring(kDescriptions[position].title);
}

std::wstring WebsiteRuleForm::DescriptionText(int position) {
  if (position < 0 || position > 2) return L"";
  const Description& d = kDescriptions[position];
  return std::wstring(d.start) + L"\"" + std::wstring(d.quoted) + L"\"" + std::wstring(d.end);
}

int WebsiteRuleForm::PositionOf(std::int32_t ruleType) {
  if (ruleType == 4) return 2;
  return ruleType >= 1 && ruleType <= 3 ? ruleType - 1 : -1;
}

void WebsiteRuleForm::FillDescription() {
  descTitle_->caption = DescriptionTitle(ruleCombo_->position);
  descText_->caption = DescriptionText(ruleCombo_->position);
}

void WebsiteRuleForm::Load() {
  if (loaded_) return;
  loaded_ = true;
  // Unloaded after each use: every opening starts as the first did (no
  // "Match all subdomains" left ticked from the last rule).
  RestoreDesignState();
  Step([&] { window_ = process_.platform().desktop.CreateOwnWindow(L"", L"QuellixWebsiteRule"); });
  process_.ownForms().Set(OwnForm::WebsiteRule, window_);
}

void WebsiteRuleForm::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  shown_ = false;
  onReturn_ = nullptr;
  process_.ownForms().Set(OwnForm::WebsiteRule, 0);
  if (window_ != 0) Step([&] { process_.platform().desktop.DestroyOwnWindow(window_); });
  window_ = 0;
}

void WebsiteRuleForm::ShowModal(std::function<void()> onReturn) {
  onReturn_ = std::move(onReturn);
  shown_ = true;
}

void WebsiteRuleForm::Hide() {
  shown_ = false;
  std::function<void()> onReturn = std::move(onReturn_);
  onReturn_ = nullptr;
  if (onReturn) onReturn();
}

void WebsiteRuleForm::Store(std::wstring_view removeFirst, bool edit) {
  if (urlText_->text.empty()) return;
  urlText_->text = Trim(urlText_->text);
  if (edit) process_.websites().Remove(removeFirst);
  const std::int32_t ruleType = edit && ruleCombo_->position == editedPosition_
                                    ? editedType_
                                    : RuleTypeAt(ruleCombo_->position);
  // The rule's own URL left as it was: its "?" stands for a character the
  // rule file could not hold, not for a query.
  const bool unchanged = edit && urlText_->text == removeFirst;
  Website* rule =
      process_.websites().Add(AttachProtocol(urlText_->text), ruleType, true, unchanged);
  if (rule != nullptr) rule->MatchSubdomains = subdomains_->checked;
}

void WebsiteRuleForm::ShowNew(std::function<void()> returned) {
  Load();
  ruleCombo_->position = 0;
  FillDescription();
  caption_ = L"Add New Website";
  ShowModal([this, returned = std::move(returned)] {
    Store(L"", false);
    Unload();
    if (returned) returned();
  });
}

void WebsiteRuleForm::ShowEdit(std::wstring url, std::int32_t ruleType, bool matchSubdomains,
                               std::function<void()> returned) {
  Load();
  ruleCombo_->position = PositionOf(ruleType);
  editedType_ = ruleType;
  editedPosition_ = ruleCombo_->position;
  FillDescription();
  urlText_->text = url;
  caption_ = L"Edit Website";
  subdomains_->checked = matchSubdomains;
  ShowModal([this, url = std::move(url), returned = std::move(returned)] {
    Store(url, true);
    Unload();
    if (returned) returned();
  });
}

}  // namespace qx
