#pragma once
// The settings dialog "Quellix Settings": nine tabs over every user-visible
// option, the website and window rules, and the pop-up log. Not modal; the
// main form loads and shows it.

#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "logging/LogEntry.h"
#include "platform/FileOpenDialog.h"
#include "platform/Tray.h"
#include "settings/Settings.h"
#include "ui/FormModel.h"

namespace qx {

class Process;
class WebsiteRuleForm;
class WindowRuleForm;

inline constexpr int kOptionTabs = 9;
inline constexpr int kPanelShownLeft = 16;
inline constexpr int kPanelHiddenLeft = -20000;

struct OptionTab {
  std::wstring_view caption;
  std::wstring_view tooltip;
  std::wstring_view helpTopic;
};
extern const std::array<OptionTab, kOptionTabs> kOptionTabTable;

// What the options dialog needs of the program around it.
class OptionsFormHost {
 public:
  virtual ~OptionsFormHost() = default;
  virtual WebsiteRuleForm& WebsiteRule() = 0;
  virtual WindowRuleForm& WindowRule() = 0;
  virtual void ShowExtraOptionsModal() = 0;
  // BrowserList.ReapplyHolds.
  virtual void ReapplyHolds() = 0;
  // The dialog has been unloaded.
  virtual void OptionsUnloaded() = 0;
};

class OptionsForm final : public FormModel {
 public:
  OptionsForm(Process& process, FileOpenDialog& fileOpen, OptionsFormHost& host);
  ~OptionsForm() override;

  void Load();
  void Show();
  // Selects a tab (from 1), loading the dialog first when needed.
  void SelectTab(int tab);
  void Unload();

  void Apply();
  void Ok();
  void Cancel();
  void TabHelp(int tab);
  void RefreshLogList();
  void RefreshWSList();
  void RefreshWinList();

  // "name (whole value)"; ExtractModule takes the whole value back.
  static std::wstring FormatModule(std::wstring_view value);
  static std::wstring ExtractModule(std::wstring_view shown);
  // "Delete Previous Logs (N KB)" for a size in bytes.
  static std::wstring DeleteCaption(std::int64_t bytes);
  // The key of a WinList row: unique for every program and caption.
  static std::wstring WinListKey(std::wstring_view program, std::wstring_view caption);

  int SelectedTab() const override { return selectedTab_; }
  bool OptionsOpen() const { return optionsOpen_; }
  bool WSListRefreshing() const { return wsRefreshing_; }
  bool WinListRefreshing() const { return winRefreshing_; }
  bool ApplyEnabled() const { return applyButton_->enabled; }
  int PanelLeft(int tab) const { return panelLeft_[static_cast<std::size_t>(tab - 1)]; }
  bool PanelEnabled(int tab) const { return panelEnabled_[static_cast<std::size_t>(tab - 1)]; }
  const FileOpenRequest& SoundDialog() const { return soundDialog_; }
  // The Websites tab's file dialogs for "Import..." and "Export...".
  const FileOpenRequest& ImportDialog() const { return importDialog_; }
  const FileOpenRequest& ExportDialog() const { return exportDialog_; }
  // The log entry shown in a LogList row, by the row's key.
  const LogEntry* LogEntryOf(const std::wstring& key) const;

  void Key(std::wstring_view key) override;
  // Closing the window unloads the dialog; what was applied stays.
  void CloseBox() override { Unload(); }
  // The right button goes down and up on the list's selected row.
  void RowMenu(std::wstring_view control) override;
  void LogListMouseDown(int button);
  void LogListMouseUp(int button);

 private:
  enum class LogMenu { Browser, WebDialog, Window };

  void Build();
  void BuildGeneralTab();
  void BuildBrowserTab();
  void BuildAdvancedTab();
  void BuildWebsitesTab();
  void BuildWindowsTab();
  void BuildHotKeysTab();
  void BuildLogTab();
  void BuildLogOptionsTab();
  void BuildAboutTab();
  // Each tab's controls from the settings, when the dialog is loaded.
  void LoadGeneralTab(Settings& settings);
  void LoadBrowserTabs(Settings& settings);
  void LoadRuleLists();
  void LoadHotKeys(Settings& settings);
  void LoadLogTabs(Settings& settings);
  Control& AddCheck(int tab, Option option, std::wstring caption, std::wstring tooltip = L"",
                    std::wstring name = L"");
  Control& AddButton(int tab, std::wstring caption, std::wstring tooltip, std::wstring name,
                     std::function<void()> onClick);
  void TabChosen(int tab) override;
  void ShowPanels();
  void Appliable();
  void StartModeRule();
  void PlaySoundRule();
  void KeepLogRule();
  void PlayTheSound();
  void BrowseSound();
  void SetDeleteCaption();
  void InitMenu();
  void LogMenuChoice(const LogEntry& entry, const std::wstring& key);
  void EditWebsite();
  void DeleteWebsites();
  // OptionsFormRuleLists.cpp: shared rule lists in and out.
  void PrepareRuleListDialogs();
  void ImportWebsites();
  void ExportWebsites();
  // Runs one of the two; a failure is reported under the routine's source.
  template <class F>
  void RuleListTrapped(std::wstring_view source, std::wstring_view message, F&& f);
  void EditWindow();
  void DeleteWindows();
  std::wstring ProgramOfRow(const ListRow& row) const;
  // The error trap of a routine: a failure is reported and ends it.
  template <class F>
  void Trapped(std::wstring_view source, std::wstring_view message, F&& f);

  Process& process_;
  FileOpenDialog& fileOpen_;
  OptionsFormHost& host_;
  int selectedTab_ = 1;
  bool optionsOpen_ = false;
  bool wsRefreshing_ = false;
  bool winRefreshing_ = false;
  bool menuArmed_ = false;
  std::array<int, kOptionTabs> panelLeft_{};
  std::array<bool, kOptionTabs> panelEnabled_{};
  FileOpenRequest soundDialog_;
  FileOpenRequest importDialog_;
  FileOpenRequest exportDialog_;
  std::map<std::wstring, LogEntry> logRows_;
  std::unique_ptr<PopupMenu> browserMenu_;
  std::unique_ptr<PopupMenu> dialogMenu_;
  std::unique_ptr<PopupMenu> windowMenu_;
  std::vector<std::pair<Option, Control*>> boxes_;

  Control* tabStrip_ = nullptr;
  Control* applyButton_ = nullptr;
  Control* playASound_ = nullptr;
  Control* fileNameText_ = nullptr;
  Control* browse_ = nullptr;
  Control* playSound_ = nullptr;
  Control* startupCombo_ = nullptr;
  Control* autoClose_ = nullptr;
  Control* allowPopups_ = nullptr;
  Control* blockPopups_ = nullptr;
  Control* newWindow_ = nullptr;
  Control* currentWindow_ = nullptr;
  Control* wsList_ = nullptr;
  Control* winList_ = nullptr;
  Control* logList_ = nullptr;
  Control* deleteLogs_ = nullptr;
  Control* keepLog_ = nullptr;
  Control* saveLog_ = nullptr;
  Control* keepAccurateLog_ = nullptr;
  Control* lblCount_ = nullptr;
  Control* extraOptions_ = nullptr;
  std::array<Control*, 4> hotKeys_{};
};

}  // namespace qx
