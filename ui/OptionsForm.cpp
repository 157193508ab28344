#include "ui/OptionsForm.h"

#include "base/Text.h"
#include "context/Process.h"
#include "logging/pError.h"
#include "platform/ShellActions.h"
#include "ui/WebsiteRuleForm.h"
#include "ui/WindowRuleForm.h"

namespace qx {

const std::array<OptionTab, kOptionTabs> kOptionTabTable = {{
    {L"General", L"Set Quellix's basic options", L"general_options.htm"},
    {L"Browser Options",
     L"Set basic options pertaining to Internet Explorer and compatible browsers",
     L"browser_options.htm"},
    {L"Adv. Browser Options",
     L"Set advanced options pertaining to Internet Explorer and compatible browsers",
     L"advanced_browser_options.htm"},
    {L"Websites", L"List of website rules that determine which pop-ups to allow, prevent, and kill",
     L"website_rules.htm"},
    {L"Windows", L"List of window rules that determine which windows to consider pop-up windows",
     L"window_rules.htm"},
    {L"HotKeys", L"View and edit hotkeys for various commands", L"hotkeys.htm"},
    {L"Log", L"View the log of pop-up windows Quellix has prevented from appearing and killed",
     L"log.htm"},
    {L"Log Options", L"Options that determine how and what things are logged", L"log_options.htm"},
    {L"About", L"About Quellix", L"contents.htm"},
}};

namespace {

struct ComboItem {
  std::wstring_view text;
  std::int32_t value;
};

constexpr std::array<ComboItem, 3> kStartModes = {{
    {L" when my computer starts (recommended)", 1},
    {L" whenever Internet Explorer runs", 2},
    {L" never; I will start it manually", 0},
}};

struct HotKeyBox {
  std::wstring_view name;
  std::wstring_view label;
  Option option;
  std::vector<ComboItem> items;
};

const std::array<HotKeyBox, 4>& HotKeyBoxes() {
  static const std::array<HotKeyBox, 4> kBoxes = {{
      {L"HKComboKill",
       L"Kill (close) a window (browser or otherwise) immediately:",
       Option::KillKeyCombo,
       {{L"Hold down ALT-CAPSLOCK and click on the window (default)", 4},
        {L"Hold down SHIFT-CAPSLOCK and click on the window", 1},
        {L"(Disable this command)", 8}}},
      {L"HKComboBan",
       L"Always kill (close) a window (browser or otherwise); that is, close the window "
       L"immediately and also prevent it from appearing in the future:",
       Option::BanKeyCombo,
       {{L"Hold down ALT-SHIFT-CAPSLOCK and click on the window (default)", 5},
        {L"Hold down SHIFT-CAPSLOCK and click on the window", 1},
        {L"(Disable this command)", 8}}},
      {L"HKComboNormalize",
       L"\"Normalize\" an IE-compatible browser window (resize it to be a normal window that is "
       L"completely viewable, enable toolbars, and show the status bar):",
       Option::NormalizeKeyCombo,
       {{L"Hold down the ALT key and click on the window (default)", 4},
        {L"Hold down the CTRL key and click on the window", 2},
        {L"Hold down the SHIFT key and click on the window", 1}}},
      {L"HKComboOff",
       L"Temporarily turn Quellix off (Quellix will not kill or block pop-up windows while off):",
       Option::OffKey,
       {{L"Hold down the CTRL key (default)", 2}, {L"Hold down the SHIFT key", 1}}},
  }};
  return kBoxes;
}

// The position showing a value; -1 when the table has none.
template <class Items>
int PositionOf(const Items& items, std::int32_t value) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].value == value) return static_cast<int>(i);
  }
  return -1;
}

bool EndsWithWebDialog(std::wstring_view url) {
  constexpr std::wstring_view kMark = L"(web page dialog)";
  return url.size() >= kMark.size() && LowerCase(url.substr(url.size() - kMark.size())) == kMark;
}

std::wstring DropTrailingSlash(std::wstring_view value) {
  if (!value.empty() && (value.back() == L'/' || value.back() == L'\\')) {
    value.remove_suffix(1);
  }
  return std::wstring(value);
}

const ListRow* SelectedRow(const Control& list) {
  return list.FirstSelected();
}

}  // namespace

OptionsForm::OptionsForm(Process& process, FileOpenDialog& fileOpen, OptionsFormHost& host)
    : process_(process), fileOpen_(fileOpen), host_(host) {
  caption_ = L"Quellix Settings";
  panelLeft_.fill(kPanelHiddenLeft);
  Build();
  KeepDesignState();
}

OptionsForm::~OptionsForm() {
  Unload();
}

template <class F>
void OptionsForm::Trapped(std::wstring_view source, std::wstring_view message, F&& f) {
  try {
    std::forward<F>(f)();
  } catch (const PlatformError& e) {
    process_.errors().ReportError(source, message, false, MakeError(e));
  }
}

Control& OptionsForm::AddCheck(int tab, Option option, std::wstring caption, std::wstring tooltip,
                               std::wstring name) {
  Control& c = Add({.kind = ControlKind::CheckBox,
                    .name = std::move(name),
                    .caption = std::move(caption),
                    .tooltip = std::move(tooltip),
                    .tab = tab});
  c.onClick = [this] { Appliable(); };
  boxes_.emplace_back(option, &c);
  return c;
}

Control& OptionsForm::AddButton(int tab, std::wstring caption, std::wstring tooltip,
                                std::wstring name, std::function<void()> onClick) {
  Control& c = Add({.kind = ControlKind::Button,
                    .name = std::move(name),
                    .caption = std::move(caption),
                    .tooltip = std::move(tooltip),
                    .tab = tab});
  c.onClick = std::move(onClick);
  return c;
}

// The controls in the order the dialog shows them: the frame, then each
// tab's, tab by tab.
void OptionsForm::Build() {
  std::vector<std::wstring> tabCaptions;
  for (const OptionTab& t : kOptionTabTable)
    tabCaptions.emplace_back(t.caption);
  tabStrip_ = &Add({.kind = ControlKind::TabStrip, .name = L"tbsOptions", .items = tabCaptions});
  tabStrip_->position = 1;
  for (const OptionTab& t : kOptionTabTable) {
    Add({.kind = ControlKind::Tab,
         .caption = std::wstring(t.caption),
         .tooltip = std::wstring(t.tooltip)});
  }
  AddButton(0, L"OK", L"", L"", [this] { Ok(); });
  AddButton(0, L"Cancel", L"", L"", [this] { Cancel(); });
  applyButton_ = &AddButton(0, L"Apply", L"", L"", [this] { Apply(); });
  Add({.kind = ControlKind::Label, .caption = L"Need"});
  Add({.kind = ControlKind::Link, .caption = L"help?"}).onClick = [this] { TabHelp(selectedTab_); };
  BuildGeneralTab();
  BuildBrowserTab();
  BuildAdvancedTab();
  BuildWebsitesTab();
  BuildWindowsTab();
  BuildHotKeysTab();
  BuildLogTab();
  BuildLogOptionsTab();
  BuildAboutTab();
}

void OptionsForm::BuildGeneralTab() {
  Add({.kind = ControlKind::Frame, .caption = L"Pop-up Window Alert", .tab = 1});
  Add({.kind = ControlKind::Label,
       .caption = L"When Quellix prevents a pop-up window from appearing:",
       .tab = 1});
  playASound_ = &AddCheck(1, Option::PlayASound, L"Play a sound:",
                          L"When a pop-up window is blocked, the selected sound will be played");
  playASound_->onClick = [this] {
    PlaySoundRule();
    Appliable();
  };
  fileNameText_ = &Add({.kind = ControlKind::TextBox, .name = L"FileNameText", .tab = 1});
  fileNameText_->onClick = [this] { Appliable(); };
  fileNameText_->onLeave = [this] { fileNameText_->text = Trim(fileNameText_->text); };
  browse_ = &AddButton(1, L"Browse...", L"Choose a new sound file", L"", [this] { BrowseSound(); });
  playSound_ = &AddButton(1, L"Play Sound", L"Test the selected sound", L"PlaySound",
                          [this] { PlayTheSound(); });
  AddCheck(1, Option::BlinkLightBulb, L"\"Light up\" the light bulb icon in the system tray",
           L"When a pop-up window is blocked, the icon in the system tray will change");
  AddCheck(1, Option::ShowNotice, L"Show a notice for each blocked pop-up",
           L"When a pop-up window is blocked, a notice over the system tray icon says what was "
           L"stopped and why, and offers to undo it");
  Add({.kind = ControlKind::Frame, .caption = L"Starting Quellix", .tab = 1});
  Add({.kind = ControlKind::Label, .caption = L"Automatically run Quellix", .tab = 1});
  startupCombo_ = &Add({.kind = ControlKind::ComboBox, .name = L"startupCombo", .tab = 1});
  startupCombo_->onClick = [this] {
    StartModeRule();
    Appliable();
  };
  autoClose_ = &AddCheck(1, Option::AutoClose,
                         L"Close Quellix when all instances of Internet Explorer have closed",
                         L"Only applies if \"Run whenever Internet Explorer runs\" is selected");
}

void OptionsForm::BuildBrowserTab() {
  Add({.kind = ControlKind::Frame, .caption = L"Pop-up Windows", .tab = 2});
  Add({.kind = ControlKind::Label,
       .caption = L"By default, for sites for which I have not manually allowed or disallowed "
                  L"pop-up windows:",
       .tab = 2});
  const auto option = [this](std::wstring caption, int group) -> Control& {
    Control& c = Add({.kind = ControlKind::OptionButton,
                      .caption = std::move(caption),
                      .tab = 2,
                      .group = group});
    c.onClick = [this] { Appliable(); };
    return c;
  };
  allowPopups_ = &option(L"Allow pop-up windows", 1);
  blockPopups_ = &option(L"Do not allow pop-up windows (recommended)", 1);
  Add({.kind = ControlKind::Frame, .caption = L"Link Navigation", .tab = 2});
  Add({.kind = ControlKind::Label,
       .caption = L"When I click on a link that wants to open in a new window:",
       .tab = 2});
  Add({.kind = ControlKind::Label,
       .caption = L"(only applies to sites with pop-ups disallowed)",
       .tab = 2});
  newWindow_ = &option(L"Open it in a new window (recommended)", 2);
  currentWindow_ = &option(L"Open it in the current window", 2);
  Add({.kind = ControlKind::Frame,
       .caption = L"Local HTML Pages (those located on your computer or LAN)",
       .tab = 2});
  AddCheck(2, Option::IgnoreLocal, L"Always allow pop-up windows when viewing local HTML pages",
           L"If this box is checked, Quellix will never prevent local pages from opening pop-up "
           L"windows");
}

void OptionsForm::BuildAdvancedTab() {
  Add({.kind = ControlKind::Frame,
       .caption = L"Internet Explorer and compatible browsers",
       .tab = 3});
  Add({.kind = ControlKind::Frame, .caption = L"Browser Windows", .tab = 3});
  AddCheck(3, Option::TreatDialogsAsPopups,
           L"Eliminate unsolicited web page dialogs (treat them like pop-up windows)",
           L"When checked, Quellix will treat new web page dialog boxes as if they were normal "
           L"browser pop-up windows",
           L"XTreatWebDialogsAsPopups");
  AddCheck(3, Option::HoldResizable, L"Always resizable");
  AddCheck(3, Option::ToolBar, L"Always show toolbar");
  AddCheck(3, Option::StatusBar, L"Always show status bar");
  AddCheck(3, Option::FullScreen, L"Disable full screen mode");
  AddCheck(3, Option::TheaterMode, L"Disable theater mode");
  AddCheck(3, Option::StrictIE,
           L"Ignore all compatible browsers (those using IE technology, including Windows "
           L"Explorer and third-party browsers) except Internet Explorer itself",
           L"Check this box to stop Quellix from working with browsers other than Internet "
           L"Explorer");
  AddCheck(3, Option::SilentIE,
           L"Enable \"silent mode\" (browser will not display most dialog boxes, including "
           L"security alerts and script errors)",
           L"Silent mode may prevent important messages from being displayed (use with caution)");
  AddCheck(3, Option::CatchErrors,
           L"Don't show run-time script errors (compile-time errors will still be shown)");
}

void OptionsForm::BuildWebsitesTab() {
  Add({.kind = ControlKind::Frame,
       .caption = L"Rules for Specific Websites (Allow or Disallow Pop-ups and \"Always Kill\")",
       .tab = 4});
  wsList_ = &Add({.kind = ControlKind::ListView,
                  .name = L"WSList",
                  .tab = 4,
                  .columns = {L"Website's URL", L"Rule"}});
  AddButton(4, L"Add New Rule...", L"Add a new website rule", L"cmdAddWS",
            [this] { host_.WebsiteRule().ShowNew([this] { RefreshWSList(); }); });
  AddButton(4, L"Edit Selected Rule...", L"Edit the selected website rule", L"cmdEditWS",
            [this] { EditWebsite(); });
  AddButton(4, L"Delete Selected Rule(s)", L"Delete the selected website rules", L"cmdDeleteWS",
            [this] { DeleteWebsites(); });
  AddButton(4, L"Import...", L"Add the pop-up rules of a filter list or a hosts file",
            L"cmdImportWS", [this] { ImportWebsites(); });
  AddButton(4, L"Export...", L"Save the always-kill rules as a filter list", L"cmdExportWS",
            [this] { ExportWebsites(); });
  Add({.kind = ControlKind::Label,
       .caption = L"These rules apply to IE-compatible browsers; for more information, please see",
       .tab = 4});
  Add({.kind = ControlKind::Link, .caption = L"help", .tab = 4}).onClick = [this] {
    TabHelp(selectedTab_);
  };
}

void OptionsForm::BuildWindowsTab() {
  Add({.kind = ControlKind::Frame,
       .caption = L"Window Rules (Determine Which Windows Quellix Considers Pop-up Windows)",
       .tab = 5});
  winList_ = &Add({.kind = ControlKind::ListView,
                   .name = L"WinList",
                   .tab = 5,
                   .columns = {L"Window Caption", L"Applies to Program", L"Rule"}});
  AddButton(5, L"Add New Rule...", L"Add a new window rule", L"cmdAddWin",
            [this] { host_.WindowRule().ShowNew([this] { RefreshWinList(); }); });
  AddButton(5, L"Edit Selected Rule...", L"Edit the selected window rule", L"cmdEditWin",
            [this] { EditWindow(); });
  AddButton(5, L"Delete Selected Rule(s)", L"Delete the selected window rules", L"cmdDeleteWin",
            [this] { DeleteWindows(); });
  Add({.kind = ControlKind::Label,
       .caption = L"For IE-compatible browser window pop-ups, use Website Rules instead.",
       .tab = 5});
  Add({.kind = ControlKind::Link, .caption = L"More info...", .tab = 5}).onClick = [this] {
    TabHelp(selectedTab_);
  };
}

void OptionsForm::BuildHotKeysTab() {
  Add({.kind = ControlKind::Label,
       .caption = L"To avoid accidentally killing (closing) windows, you must hold down the Caps "
                  L"Lock key while using the following two hotkey commands:",
       .tab = 6});
  for (std::size_t i = 0; i < HotKeyBoxes().size(); ++i) {
    const HotKeyBox& box = HotKeyBoxes()[i];
    Add({.kind = ControlKind::Label, .caption = std::wstring(box.label), .tab = 6});
    Control& c = Add({.kind = ControlKind::ComboBox, .name = std::wstring(box.name), .tab = 6});
    c.onClick = [this] { Appliable(); };
    hotKeys_[i] = &c;
  }
}

void OptionsForm::BuildLogTab() {
  Add({.kind = ControlKind::Frame, .caption = L"Blocked/Killed Pop-up Window Log", .tab = 7});
  logList_ = &Add({.kind = ControlKind::ListView,
                   .name = L"LogList",
                   .tab = 7,
                   .columns = {L"Time", L"URL/Caption", L"Source Page/Program", L"Type", L"Why"}});
  AddButton(7, L"View Previous Logs...", L"Show saved logs from previous sessions", L"", [this] {
    PopupLog& log = process_.popupLog();
    std::wstring page;
    if (Step([&] { page = log.ShowPastLogs(); })) OpenDocument(process_.platform().shell, page);
  });
  deleteLogs_ = &AddButton(7, DeleteCaption(0), L"Delete all saved logs", L"cmdDeleteLogs", [this] {
    Step([&] { process_.popupLog().Delete(); });
    deleteLogs_->caption = DeleteCaption(0);
  });
  AddButton(7, L"Clear Current Log", L"Remove all logged data from the current log", L"", [this] {
    Step([&] { process_.popupLog().ClearLog(); });
    logList_->rows.clear();
    logRows_.clear();
    SetDeleteCaption();
  });
}

void OptionsForm::BuildLogOptionsTab() {
  keepLog_ = &AddCheck(8, Option::KeepLog, L"Keep log of blocked/killed pop-up windows",
                       L"Uncheck this box to stop Quellix from logging information about blocked "
                       L"and killed pop-up windows");
  keepLog_->onClick = [this] {
    KeepLogRule();
    Appliable();
  };
  saveLog_ = &AddCheck(8, Option::SaveLog, L"Save past logs to the hard drive for later viewing",
                       L"Save the logs from each session to the hard drive");
  keepAccurateLog_ = &AddCheck(
      8, Option::KeepAccurateLog,
      L"Use intelligent deduction algorithms to find information about pop-up windows "
      L"(recommended)",
      L"Intelligent deduction allows Quellix to log more information about blocked and killed "
      L"pop-up windows");
  Add({.kind = ControlKind::Frame,
       .caption = L"Quellix's Application Event Log (advanced)",
       .tab = 8});
  AddButton(8, L"View Quellix's event log...",
            L"The event log typically contains errors Quellix has encountered; this is usually "
            L"only useful if you are having trouble with Quellix",
            L"", [this] {
              Platform& p = process_.platform();
              const std::wstring file = process_.errorLogger().LogFile();
              bool exists = false;
              Step([&] { exists = p.files.Exists(file); });
              if (exists) {
                OpenDocument(p.shell, file);
              } else {
                Step([&] {
                  p.messages.ShowMessage(L"Quellix's event log is currently empty.", L"Quellix");
                });
              }
            });
}

void OptionsForm::BuildAboutTab() {
  Add({.kind = ControlKind::Picture, .name = L"Logo", .tab = 9}).onDblClick = [this] {
    lblCount_->visible = false;
    extraOptions_->visible = true;
  };
  Add({.kind = ControlKind::Label, .caption = L"Quellix", .tab = 9});
  Add({.kind = ControlKind::Label, .name = L"lblVersion", .caption = L"v.2.1", .tab = 9});
  lblCount_ = &Add({.kind = ControlKind::Label, .name = L"lblCount", .tab = 9});
  Add({.kind = ControlKind::Label, .caption = L"Press F1 for help, or", .tab = 9});
  Add({.kind = ControlKind::Link, .caption = L"click here", .tab = 9}).onClick = [this] {
    TabHelp(selectedTab_);
  };
  const std::pair<std::wstring_view, std::wstring_view> kLinks[] = {
      {L"www.quellix.example", L"http://www.quellix.example/"},
      {L"Quellix on the web", L"http://www.quellix.example/quellix/"},
      {L"Test Quellix", L"http://www.quellix.example/test/"},
      {L"support@quellix.example", L"mailto:support@quellix.example"},
  };
  for (const auto& [caption, target] : kLinks) {
    Add({.kind = ControlKind::Link, .caption = std::wstring(caption), .tab = 9}).onClick =
        [this, target = std::wstring(target)] { OpenDocument(process_.platform().shell, target); };
  }
  extraOptions_ = &AddButton(9, L"Troubleshooting Options...", L"", L"cmdExtraOptions",
                             [this] { host_.ShowExtraOptionsModal(); });
  extraOptions_->visible = false;
}

// --- Loading and closing ----------------------------------------------------

void OptionsForm::Load() {
  if (loaded_) return;
  loaded_ = true;
  // Opened again after it was closed, the dialog starts as it first did:
  // the first tab, the troubleshooting button hidden, the count shown.
  RestoreDesignState();
  selectedTab_ = 1;
  menuArmed_ = false;
  Settings& settings = process_.settings();
  Step([&] { window_ = process_.platform().desktop.CreateOwnWindow(caption_, L"QuellixOptions"); });
  process_.ownForms().Set(OwnForm::Options, window_);
  optionsOpen_ = true;

  LoadGeneralTab(settings);
  LoadBrowserTabs(settings);
  LoadRuleLists();
  LoadHotKeys(settings);
  LoadLogTabs(settings);
  ShowPanels();
  applyButton_->enabled = false;
  InitMenu();
}

void OptionsForm::LoadGeneralTab(Settings& settings) {
  Platform& p = process_.platform();
  startupCombo_->items.clear();
  for (const ComboItem& item : kStartModes)
    startupCombo_->items.emplace_back(item.text);
  startupCombo_->position = PositionOf(kStartModes, settings.StartMode());
  StartModeRule();
  autoClose_->checked = settings.AutoClose();
  soundDialog_.title = L"Select Sound";
  soundDialog_.filter = L"Sounds (*.wav)|*.wav";
  soundDialog_.flags = kOfnHideReadOnly | kOfnFileMustExist;
  soundDialog_.initialFolder = JoinPath(p.files.ProgramFolder(), L"sounds");
  PrepareRuleListDialogs();
  for (auto& [option, box] : boxes_) {
    if (option == Option::PlayASound || option == Option::BlinkLightBulb ||
        option == Option::ShowNotice) {
      box->checked = std::get<bool>(settings.Get(option));
    }
  }
  fileNameText_->text = settings.SoundFileName();
  PlaySoundRule();
}

void OptionsForm::LoadBrowserTabs(Settings& settings) {
  for (auto& [option, box] : boxes_) {
    if (box->tab == 3 || option == Option::IgnoreLocal) {
      box->checked = std::get<bool>(settings.Get(option));
    }
  }
  currentWindow_->checked = settings.RedirectNewWindows();
  newWindow_->checked = !settings.RedirectNewWindows();
  blockPopups_->checked = settings.BlockByDefault();
  allowPopups_->checked = !settings.BlockByDefault();
}

void OptionsForm::LoadRuleLists() {
  process_.websites().SetRefreshHook([this] { RefreshWSList(); });
  process_.windows().SetRefreshHook([this] { RefreshWinList(); });
  RefreshWSList();
  RefreshWinList();
}

void OptionsForm::LoadHotKeys(Settings& settings) {
  for (std::size_t i = 0; i < HotKeyBoxes().size(); ++i) {
    const HotKeyBox& box = HotKeyBoxes()[i];
    hotKeys_[i]->items.clear();
    for (const ComboItem& item : box.items)
      hotKeys_[i]->items.emplace_back(item.text);
    hotKeys_[i]->position = PositionOf(box.items, std::get<std::int32_t>(settings.Get(box.option)));
  }
}

void OptionsForm::LoadLogTabs(Settings& settings) {
  SetDeleteCaption();
  process_.popupLog().SetLogListRefresh([this] { RefreshLogList(); });
  RefreshLogList();
  keepLog_->checked = settings.KeepLog();
  saveLog_->checked = settings.SaveLog();
  keepAccurateLog_->checked = settings.KeepAccurateLog();
  KeepLogRule();
  std::int32_t total = 0;
  Step([&] { total = process_.popupLog().TotalPopupCount(); });
  lblCount_->caption =
      L"Quellix has stopped a total of " + std::to_wstring(total) + L" pop-up windows.";
}

void OptionsForm::Show() {
  Load();
  shown_ = true;
}

void OptionsForm::SelectTab(int tab) {
  Load();
  if (tab < 1 || tab > kOptionTabs) return;
  selectedTab_ = tab;
  tabStrip_->position = tab;
  ShowPanels();
}

void OptionsForm::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  shown_ = false;
  optionsOpen_ = false;
  process_.websites().SetRefreshHook(nullptr);
  process_.windows().SetRefreshHook(nullptr);
  process_.popupLog().SetLogListRefresh(nullptr);
  browserMenu_.reset();
  dialogMenu_.reset();
  windowMenu_.reset();
  process_.ownForms().Set(OwnForm::Options, 0);
  if (window_ != 0) Step([&] { process_.platform().desktop.DestroyOwnWindow(window_); });
  window_ = 0;
  host_.OptionsUnloaded();
}

// --- OK, Cancel, Apply --------------------------------------------------------

void OptionsForm::Apply() {
  applyButton_->enabled = false;
  Settings& settings = process_.settings();
  const auto write = [&](Option option, Settings::Value value) {
    Step([&] { settings.Set(option, std::move(value)); });
  };
  const auto box = [&](Option option) {
    for (auto& [o, c] : boxes_) {
      if (o == option) write(option, c->checked);
    }
  };
  if (startupCombo_->position >= 0) {
    write(Option::StartMode, kStartModes[static_cast<std::size_t>(startupCombo_->position)].value);
  }
  box(Option::AutoClose);
  box(Option::BlinkLightBulb);
  box(Option::PlayASound);
  write(Option::SoundFileName, fileNameText_->text);
  for (const Option o :
       {Option::CatchErrors, Option::SilentIE, Option::StrictIE, Option::TheaterMode,
        Option::FullScreen, Option::StatusBar, Option::ToolBar, Option::HoldResizable,
        Option::TreatDialogsAsPopups, Option::IgnoreLocal}) {
    box(o);
  }
  write(Option::RedirectNewWindows, currentWindow_->checked);
  write(Option::BlockByDefault, blockPopups_->checked);
  for (const std::size_t i : {3u, 2u, 0u, 1u}) {  // OffKey, Normalize, Kill, Ban
    const HotKeyBox& hk = HotKeyBoxes()[i];
    const int position = hotKeys_[i]->position;
    if (position >= 0 && position < static_cast<int>(hk.items.size())) {
      write(hk.option, hk.items[static_cast<std::size_t>(position)].value);
    }
  }
  box(Option::KeepLog);
  box(Option::SaveLog);
  box(Option::KeepAccurateLog);
  box(Option::ShowNotice);
  Step([&] { host_.ReapplyHolds(); });
  Step([&] { settings.ImplementTreatDialogsAsPopups(process_.platform().hookControl); });
}

void OptionsForm::Ok() {
  Apply();
  Settings& settings = process_.settings();
  settings.Save();
  settings.SetSaveOnChange(true);
  Unload();
}

void OptionsForm::Cancel() {
  Step([&] { host_.ReapplyHolds(); });
  Step([&] { process_.settings().ImplementTreatDialogsAsPopups(process_.platform().hookControl); });
  Unload();
}

// --- Tabs and keys --------------------------------------------------------------

void OptionsForm::TabChosen(int tab) {
  selectedTab_ = tab;
  tabStrip_->position = tab;
  ShowPanels();
}

void OptionsForm::ShowPanels() {
  for (int i = 1; i <= kOptionTabs; ++i) {
    const bool shown = i == selectedTab_;
    panelLeft_[static_cast<std::size_t>(i - 1)] = shown ? kPanelShownLeft : kPanelHiddenLeft;
    panelEnabled_[static_cast<std::size_t>(i - 1)] = shown;
  }
}

void OptionsForm::Key(std::wstring_view key) {
  if (!loaded_ || !shown_) throw UiError("the dialog is not shown");
  if (key == L"f1") {
    TabHelp(selectedTab_);
  } else if (key == L"ctrl+tab") {
    TabChosen(selectedTab_ >= kOptionTabs ? 1 : selectedTab_ + 1);
  } else if (key == L"delete") {
    if (selectedTab_ == 4) DeleteWebsites();
    if (selectedTab_ == 5) DeleteWindows();
  } else {
    FormModel::Key(key);
  }
}

void OptionsForm::TabHelp(int tab) {
  if (tab < 1 || tab > kOptionTabs) return;
  const Platform& p = process_.platform();
  ShowHelpTopic(p.shell, p.files, kOptionTabTable[static_cast<std::size_t>(tab - 1)].helpTopic);
}

// --- Enabling rules and Apply -------------------------------------------------------

void OptionsForm::Appliable() {
  applyButton_->enabled = true;
}

void OptionsForm::StartModeRule() {
  autoClose_->enabled = startupCombo_->position == 1;
}

void OptionsForm::PlaySoundRule() {
  const bool on = playASound_->checked;
  fileNameText_->enabled = on;
  fileNameText_->greyed = !on;
  browse_->enabled = on;
  playSound_->enabled = on;
}

void OptionsForm::KeepLogRule() {
  saveLog_->enabled = keepLog_->checked;
  keepAccurateLog_->enabled = keepLog_->checked;
}

// --- Sound ----------------------------------------------------------------------

void OptionsForm::PlayTheSound() {
  Platform& p = process_.platform();
  fileNameText_->text = Trim(fileNameText_->text);
  const std::wstring name = fileNameText_->text;
  if (name.empty()) return;
  bool exists = false;
  Step([&] { exists = p.files.Exists(name); });
  if (exists) {
    Step([&] { p.sound.Play(L"", 1); });
    Step([&] { p.sound.Play(name, 3); });
  } else {
    Step([&] {
      p.messages.ShowMessage(L"The specified sound file, \"" + name + L"\", could not be found.",
                             L"Sound Not Found");
    });
  }
}

void OptionsForm::BrowseSound() {
  soundDialog_.fileName = fileNameText_->text;
  std::optional<std::wstring> chosen;
  Step([&] { chosen = fileOpen_.Show(soundDialog_); });
  if (!chosen || chosen->empty()) return;
  fileNameText_->text = *chosen;
  Appliable();
  const std::size_t slash = chosen->find_last_of(L"\\/");
  if (slash != std::wstring::npos) soundDialog_.initialFolder = chosen->substr(0, slash);
}

// --- The log ------------------------------------------------------------------------

std::wstring OptionsForm::DeleteCaption(std::int64_t bytes) {
  return L"Delete Previous Logs (" + std::to_wstring(bytes / 1000) + L" KB)";
}

void OptionsForm::SetDeleteCaption() {
  std::int32_t size = 0;
  Step([&] { size = process_.popupLog().LogSize(); });
  deleteLogs_->caption = DeleteCaption(size);
}

std::wstring OptionsForm::FormatModule(std::wstring_view value) {
  if (value.empty()) return L"";
  const std::size_t slash = value.find_last_of(L"/\\");
  const std::wstring_view name = slash == std::wstring_view::npos ? value : value.substr(slash + 1);
  return std::wstring(name) + L" (" + std::wstring(value) + L")";
}

std::wstring OptionsForm::ExtractModule(std::wstring_view shown) {
  // The name and the value may both hold " (" ("setup(1).exe", "Program
  // Files (x86)"): the value is the one whose display form this is.
  for (std::size_t open = shown.find(L" ("); open != std::wstring_view::npos;
       open = shown.find(L" (", open + 1)) {
    if (shown.back() != L')') break;
    const std::wstring_view value = shown.substr(open + 2, shown.size() - open - 3);
    if (FormatModule(value) == shown) return std::wstring(value);
  }
  return L"";
}

const LogEntry* OptionsForm::LogEntryOf(const std::wstring& key) const {
  const auto it = logRows_.find(key);
  return it == logRows_.end() ? nullptr : &it->second;
}

void OptionsForm::RefreshLogList() {
  Trapped(L"RefreshLogList", L"An error occurred while trying to process log data.", [&] {
    logList_->rows.clear();
    logRows_.clear();
    int position = 1;
    for (const LogEntry& entry : process_.popupLog().GetLogItems()) {
      ListRow row;
      row.key = L"K" + std::to_wstring(position++);
      row.texts.push_back(entry.LogTime);
      if (entry.PopupType == kBrowserPopup) {
        row.texts.push_back(EndsWithWebDialog(entry.Target)
                                ? entry.Target
                                : FormatModule(DropTrailingSlash(entry.Target)));
        row.texts.push_back(FormatModule(DropTrailingSlash(entry.Source)));
        row.texts.emplace_back(L"Browser (HTML)");
      } else {
        row.texts.push_back(entry.Target);
        row.texts.push_back(FormatModule(entry.Source));
        row.texts.emplace_back(L"Window (non-browser)");
      }
      // Entries of past sessions, read back from "log.dat", have no reason.
      row.texts.push_back(entry.Reason);
      row.tip = entry.Reason;
      logRows_.emplace(row.key, entry);
      logList_->rows.push_back(std::move(row));
    }
  });
}

void OptionsForm::InitMenu() {
  Trapped(L"InitMenu", L"An error occurred while trying to initialize the log context menu.", [&] {
    PopupMenuFactory& menus = process_.platform().menus;
    browserMenu_ = menus.Create();
    browserMenu_->AddEntry(L"Allow Pop-up Windows for this Source Page", -1, L"Allow");
    browserMenu_->AddEntry(L"Always Kill Pop-up Windows with this URL", -1, L"Kill");
    browserMenu_->AddEntry(L"-", -1, L"");
    browserMenu_->AddEntry(L"Open this Pop-up Window", -1, L"OpenPopup");
    browserMenu_->AddEntry(L"Open this Source Page", -1, L"OpenSource");
    dialogMenu_ = menus.Create();
    dialogMenu_->AddEntry(L"Allow Pop-up Windows for this Source Page", -1, L"Allow");
    dialogMenu_->AddEntry(L"Open this Source Page", -1, L"OpenSource");
    windowMenu_ = menus.Create();
    windowMenu_->AddEntry(L"(Click the Windows tab to change windows rules)", -1, L"");
  });
}

void OptionsForm::RowMenu(std::wstring_view control) {
  Control& list = Get(control);
  if (&list != logList_) FormModel::RowMenu(control);
  Reachable(list);
  LogListMouseDown(2);
  LogListMouseUp(2);
}

void OptionsForm::LogListMouseDown(int button) {
  menuArmed_ = button == 2;
}

void OptionsForm::LogListMouseUp(int button) {
  if (button != 2 || !menuArmed_) return;
  const ListRow* row = SelectedRow(*logList_);
  if (logList_->rows.empty() || row == nullptr) return;
  menuArmed_ = false;
  const LogEntry* found = LogEntryOf(row->key);
  if (found == nullptr) return;
  const LogEntry entry = *found;
  PopupMenu* menu = windowMenu_.get();
  if (entry.PopupType == kBrowserPopup) {
    menu = EndsWithWebDialog(entry.Target) ? dialogMenu_.get() : browserMenu_.get();
  }
  if (menu == nullptr) return;
  Platform& p = process_.platform();
  std::wstring key;
  Step([&] {
    int x = 0;
    int y = 0;
    p.desktop.CursorPos(x, y);
    const int chosen = menu->ShowAt(x, y);
    if (chosen > 0) key = menu->KeyOf(chosen);
  });
  if (!key.empty()) LogMenuChoice(entry, key);
}

void OptionsForm::LogMenuChoice(const LogEntry& entry, const std::wstring& key) {
  Platform& p = process_.platform();
  if (key == L"Allow") {
    process_.websites().Add(entry.Source, kAllowPopups, false);
  } else if (key == L"Kill") {
    process_.websites().Add(entry.Target, kAlwaysKill, false);
  } else if (key == L"OpenPopup") {
    OpenDocument(p.shell, entry.Target);
  } else if (key == L"OpenSource") {
    OpenDocument(p.shell, entry.Source);
  }
}

// --- Website and window rules -----------------------------------------------------

void OptionsForm::RefreshWSList() {
  if (wsRefreshing_) return;
  wsRefreshing_ = true;
  Trapped(L"RefreshWSList", L"An error occurred while trying to process website rules.", [&] {
    wsList_->rows.clear();
    for (const Website& rule : process_.websites().WebsiteCollection()) {
      ListRow row;
      row.key = L"K" + rule.URL;
      row.texts.push_back(rule.URL);
      row.texts.emplace_back(rule.RuleType == kAllowPopups      ? L"Allow Site's Pop-up Windows"
                             : rule.RuleType == kDisallowPopups ? L"Disallow Site's Pop-up Windows"
                             : rule.RuleType == kAlwaysKill     ? L"Always Kill this Pop-up Window"
                                                                : L"");
      row.tag.push_back(static_cast<wchar_t>(rule.RuleType));
      row.tag.push_back(rule.MatchSubdomains ? L'Y' : L'N');
      wsList_->rows.push_back(std::move(row));
    }
  });
  wsRefreshing_ = false;
}

void OptionsForm::EditWebsite() {
  const ListRow* row = SelectedRow(*wsList_);
  if (row == nullptr) return;
  const std::int32_t ruleType = row->tag.empty() ? 0 : static_cast<std::int32_t>(row->tag[0]);
  const bool subdomains = !row->tag.empty() && row->tag.back() == L'Y';
  host_.WebsiteRule().ShowEdit(row->texts[0], ruleType, subdomains, [this] { RefreshWSList(); });
}

void OptionsForm::DeleteWebsites() {
  Trapped(L"CmdDeleteWS", L"An error occurred while trying to delete a website rule.", [&] {
    std::vector<std::wstring> urls;
    for (const ListRow& row : wsList_->rows) {
      if (row.selected) urls.push_back(row.texts[0]);
    }
    for (const std::wstring& url : urls)
      process_.websites().Remove(url);
  });
  RefreshWSList();
}

void OptionsForm::RefreshWinList() {
  if (winRefreshing_) return;
  winRefreshing_ = true;
  Trapped(L"RefreshWinList", L"An error occurred while trying to process window rules.", [&] {
    winList_->rows.clear();
    for (const WindowGroup& group : process_.windows().GetWindowCollections()) {
      for (const qx::Window& rule : group) {
        ListRow row;
        row.key = WinListKey(group.Program(), rule.Caption);
        row.texts.push_back(rule.Caption);
        row.texts.push_back(group.Program() == kAllPrograms ? std::wstring(L"(All Programs)")
                                                            : FormatModule(group.Program()));
        row.texts.emplace_back(rule.Status == kCaptionContains ? L"Kill (substring match)"
                               : rule.Status == kCaptionEquals ? L"Kill (exact match)"
                                                               : L"");
        row.tag = std::to_wstring(rule.Status);
        winList_->rows.push_back(std::move(row));
      }
    }
  });
  winRefreshing_ = false;
}

std::wstring OptionsForm::WinListKey(std::wstring_view program, std::wstring_view caption) {
  // The program's length sets the two apart: "ab" + "c" and "a" + "bc"
  // would otherwise give the same key.
  return L"K" + std::to_wstring(program.size()) + L":" + std::wstring(program) +
         std::wstring(caption);
}

std::wstring OptionsForm::ProgramOfRow(const ListRow& row) const {
  if (row.texts[1] == L"(All Programs)") return std::wstring(kAllPrograms);
  return ExtractModule(row.texts[1]);
}

void OptionsForm::EditWindow() {
  const ListRow* row = SelectedRow(*winList_);
  if (row == nullptr) return;
  const std::int32_t status = static_cast<std::int32_t>(ParseNumber(row->tag).value_or(0));
  host_.WindowRule().ShowEdit(ProgramOfRow(*row), row->texts[0], status,
                              [this] { RefreshWinList(); });
}

void OptionsForm::DeleteWindows() {
  Trapped(L"CmdDeleteWin", L"An error occurred while trying to delete a window rule.", [&] {
    std::vector<std::pair<std::wstring, std::wstring>> rules;
    for (const ListRow& row : winList_->rows) {
      if (row.selected) rules.emplace_back(ProgramOfRow(row), row.texts[0]);
    }
    for (const auto& [program, caption] : rules)
      process_.windows().Remove(program, caption);
  });
  RefreshWinList();
}

}  // namespace qx
