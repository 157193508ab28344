#include <gtest/gtest.h>

#include <set>

#include "sim/SimProgram.h"
#include "ui/FormHost.h"

namespace qx {
namespace {

class DialogsTest : public ::testing::Test {
 protected:
  void Start() {
    program_ = std::make_unique<sim::SimProgram>(desktop_);
    ASSERT_EQ(program_->Start(L""), StartOutcome::Running);
  }
  FormHost& Host() { return *program_->forms(); }
  Process& Proc() { return *program_->process(); }
  OptionsForm& OpenOptions(const std::wstring& key = L"options") {
    program_->form()->MenuCommand(key);
    return *Host().Options();
  }

  sim::SimDesktop desktop_;
  std::unique_ptr<sim::SimProgram> program_;
};

TEST(OptionsFormText, DisplayFormAndBack) {
  EXPECT_EQ(OptionsForm::FormatModule(L""), L"");
  EXPECT_EQ(OptionsForm::FormatModule(L"http://a.example/pop"), L"pop (http://a.example/pop)");
  EXPECT_EQ(OptionsForm::FormatModule(L"c:\\apps\\x.exe"), L"x.exe (c:\\apps\\x.exe)");
  EXPECT_EQ(OptionsForm::FormatModule(L"plain"), L"plain (plain)");
  // Back from the display form, whatever brackets the name or path holds.
  for (const wchar_t* program :
       {L"c:\\apps\\x.exe", L"c:\\dl\\setup(1).exe", L"c:\\program files (x86)\\a (b).exe",
        L"c:\\x (y\\z.exe", L"plain", L"a (b)"}) {
    EXPECT_EQ(OptionsForm::ExtractModule(OptionsForm::FormatModule(program)), program);
  }
  EXPECT_EQ(OptionsForm::ExtractModule(L"no brackets"), L"");
}

TEST(OptionsFormText, DeleteCaptionDropsTheRemainder) {
  EXPECT_EQ(OptionsForm::DeleteCaption(2500), L"Delete Previous Logs (2 KB)");
  EXPECT_EQ(OptionsForm::DeleteCaption(999), L"Delete Previous Logs (0 KB)");
  EXPECT_EQ(OptionsForm::DeleteCaption(12000), L"Delete Previous Logs (12 KB)");
}

TEST(WebsiteRuleFormText, AttachProtocol) {
  EXPECT_EQ(WebsiteRuleForm::AttachProtocol(L"a.example"), L"http://a.example");
  EXPECT_EQ(WebsiteRuleForm::AttachProtocol(L"a.example:8080/x"), L"http://a.example:8080/x");
  EXPECT_EQ(WebsiteRuleForm::AttachProtocol(L"https://a.example"), L"https://a.example");
  EXPECT_EQ(WebsiteRuleForm::AttachProtocol(L"file:\\\\c\\x"), L"file:\\\\c\\x");
  EXPECT_EQ(WebsiteRuleForm::AttachProtocol(L"a.example:"), L"http://a.example:");
}

TEST_F(DialogsTest, StoredOffKeyOutsideTheTableSelectsNothingAndApplyLeavesIt) {
  desktop_.store().Poke(L"Options", L"OffKey", L"4");
  Start();
  OptionsForm& options = OpenOptions();
  EXPECT_EQ(options.Get(L"HKComboOff").position, -1);
  options.Pick(L"startupCombo", 0);
  options.Apply();
  EXPECT_EQ(Proc().settings().OffKey(), 4);
  EXPECT_EQ(desktop_.store().Peek(L"Options", L"OffKey"), L"4");
  EXPECT_EQ(Proc().settings().StartMode(), 1);
}

TEST_F(DialogsTest, NeverStoresStartModeZeroAndDisablesAutoClose) {
  desktop_.store().Poke(L"Options", L"StartMode", L"2");
  Start();
  OptionsForm& options = OpenOptions();
  Control& autoClose =
      options.Get(L"Close Quellix when all instances of Internet Explorer have closed");
  EXPECT_TRUE(autoClose.enabled);
  EXPECT_FALSE(options.ApplyEnabled());
  options.Pick(L"startupCombo", 2);
  EXPECT_FALSE(autoClose.enabled);
  EXPECT_TRUE(options.ApplyEnabled());
  options.Click(L"Apply");
  EXPECT_EQ(desktop_.store().Peek(L"Options", L"StartMode"), L"0");
  EXPECT_FALSE(options.ApplyEnabled());
}

TEST_F(DialogsTest, CtrlTabWrapsFromAboutToGeneralAndMovesThePanels) {
  Start();
  OptionsForm& options = OpenOptions(L"about");
  EXPECT_EQ(options.SelectedTab(), 9);
  EXPECT_EQ(options.PanelLeft(9), kPanelShownLeft);
  options.Key(L"ctrl+tab");
  EXPECT_EQ(options.SelectedTab(), 1);
  EXPECT_EQ(options.PanelLeft(1), kPanelShownLeft);
  EXPECT_TRUE(options.PanelEnabled(1));
  EXPECT_EQ(options.PanelLeft(9), kPanelHiddenLeft);
  EXPECT_FALSE(options.PanelEnabled(9));
  // A control on a panel that is not shown takes no input.
  EXPECT_THROW(options.Click(L"Clear Current Log"), UiError);
}

TEST_F(DialogsTest, CancelAfterApplyKeepsTheAppliedValues) {
  Start();
  OptionsForm& options = OpenOptions();
  options.Click(L"Browser Options");
  options.Click(L"Allow pop-up windows");
  options.Click(L"Apply");
  options.Click(L"Open it in the current window");
  options.Click(L"Cancel");
  EXPECT_EQ(Host().Options(), nullptr);
  EXPECT_FALSE(Proc().settings().BlockByDefault());
  EXPECT_FALSE(Proc().settings().RedirectNewWindows());
  EXPECT_EQ(desktop_.store().Peek(L"Options", L"BlockByDefault"), L"False");
}

TEST_F(DialogsTest, TheDialogsRegisterTheirWindowsWhileLoaded) {
  Start();
  OptionsForm& options = OpenOptions(L"list");
  const Hwnd window = options.Window();
  EXPECT_NE(window, 0u);
  EXPECT_EQ(Proc().ownForms().Get(OwnForm::Options), window);
  EXPECT_TRUE(options.OptionsOpen());
  options.Click(L"Add New Rule...");
  FormModel* editor = Host().Loaded(L"WebsiteRule");
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(Host().Modal(), editor);
  EXPECT_EQ(Proc().ownForms().Get(OwnForm::WebsiteRule), editor->Window());
  editor->Click(L"Cancel");
  EXPECT_EQ(Proc().ownForms().Get(OwnForm::WebsiteRule), 0u);
  options.Click(L"OK");
  EXPECT_EQ(Proc().ownForms().Get(OwnForm::Options), 0u);
}

// The window's close box: the rule editors keep the rules as Cancel does
// (the edited rule is not removed, no rule is added), the troubleshooting
// dialog stores nothing, and the settings dialog unloads keeping what was
// applied.
TEST_F(DialogsTest, TheCloseBoxOfEachDialogChangesNothingItHasNotApplied) {
  Start();
  Proc().websites().Add(L"http://kept.example/", kAllowPopups, false);
  OptionsForm& options = OpenOptions(L"list");
  options.SelectRows(L"WSList", {1});
  options.Click(L"Edit Selected Rule...");
  FormModel* editor = Host().Loaded(L"WebsiteRule");
  ASSERT_NE(editor, nullptr);
  editor->Type(L"URLText", L"changed.example");
  editor->CloseBox();
  EXPECT_EQ(Host().Loaded(L"WebsiteRule"), nullptr);
  ASSERT_EQ(options.Get(L"WSList").rows.size(), 1u);
  EXPECT_EQ(options.Get(L"WSList").rows[0].texts[0], L"kept.example");

  options.Click(L"Add New Rule...");
  Host().Loaded(L"WebsiteRule")->CloseBox();
  EXPECT_EQ(options.Get(L"WSList").rows.size(), 1u) << "the sample host must not be added";

  options.Click(L"Windows");
  options.Click(L"Add New Rule...");
  Host().Loaded(L"WindowRule")->CloseBox();
  EXPECT_EQ(Host().Loaded(L"WindowRule"), nullptr);
  EXPECT_EQ(Proc().windows().Count(), 0u);

  options.Click(L"Adv. Browser Options");
  options.Click(L"Always resizable");
  const bool before = Proc().settings().HoldResizable();
  options.Click(L"Apply");
  EXPECT_NE(Proc().settings().HoldResizable(), before);
  options.CloseBox();
  EXPECT_FALSE(options.Loaded());
  EXPECT_FALSE(options.OptionsOpen());
  EXPECT_NE(Proc().settings().HoldResizable(), before);

  program_->form()->MenuCommand(L"about");
  Host().ShowExtraOptionsModal();
  FormModel& extra = *Host().Loaded(L"ExtraOptions");
  const bool ping = Proc().settings().PingDisabled();
  extra.Click(L"Disable IEPING");
  extra.CloseBox();
  EXPECT_EQ(Host().Loaded(L"ExtraOptions"), nullptr);
  EXPECT_EQ(Proc().settings().PingDisabled(), ping);
}

TEST_F(DialogsTest, EditingAWebsiteRuleUnchangedMovesItBehindItsHost) {
  Start();
  Proc().websites().Add(L"http://a.example/one", kAllowPopups, false);
  Proc().websites().Add(L"http://a.example/two", kDisallowPopups, false);
  OptionsForm& options = OpenOptions(L"list");
  options.SelectRows(L"WSList", {1});
  options.Click(L"Edit Selected Rule...");
  Host().Loaded(L"WebsiteRule")->Click(L"OK");
  const Control& list = options.Get(L"WSList");
  ASSERT_EQ(list.rows.size(), 2u);
  EXPECT_EQ(list.rows[0].texts[0], L"a.example/two");
  EXPECT_EQ(list.rows[1].texts[0], L"a.example/one");
  EXPECT_EQ(list.rows[1].tag, std::wstring(1, wchar_t{1}) + L"N");
}

TEST_F(DialogsTest, WindowRuleWithAnEmptyProgramIsForAllPrograms) {
  Start();
  OptionsForm& options = OpenOptions();
  options.Click(L"Windows");
  options.Click(L"Add New Rule...");
  FormModel& editor = *Host().Loaded(L"WindowRule");
  EXPECT_EQ(editor.Get(L"ExplanationLabel").caption,
            std::wstring(kWindowRuleExplanation) + L"Add New Window Rule\"");
  editor.Type(L"CaptionText", L"Offer");
  editor.Click(L"This rule applies only to windows of this program or module (advanced):");
  EXPECT_TRUE(editor.Get(L"ModuleText").enabled);
  editor.Type(L"ModuleText", L"");
  editor.Pick(L"RuleCombo", 1);
  editor.Click(L"OK");
  const WindowGroup* group = Proc().windows().FindGroup(kAllPrograms);
  ASSERT_NE(group, nullptr);
  const Window* rule = Proc().windows().FindRule(*group, L"Offer");
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(rule->Status, kCaptionContains);
  EXPECT_EQ(options.Get(L"WinList").rows.at(0).texts.at(2), L"Kill (substring match)");
}

TEST_F(DialogsTest, RestoreDefaultsThenCancelChangesNothing) {
  desktop_.store().Poke(L"Options", L"ExplorerFix", L"True");
  desktop_.store().Poke(L"Options", L"JSLoopFix", L"False");
  Start();
  program_->form()->MenuCommand(L"about");
  Host().ShowExtraOptionsModal();
  FormModel& extra = *Host().Loaded(L"ExtraOptions");
  EXPECT_TRUE(extra.Get(L"Enable ExplorerFix").checked);
  extra.Click(L"Restore Defaults");
  EXPECT_FALSE(extra.Get(L"Enable ExplorerFix").checked);
  EXPECT_TRUE(extra.Get(L"Enable JSLFix").checked);
  extra.Click(L"Cancel");
  EXPECT_EQ(Host().Loaded(L"ExtraOptions"), nullptr);
  EXPECT_TRUE(Proc().settings().ExplorerFix());
  EXPECT_FALSE(Proc().settings().JSLoopFix());
  EXPECT_EQ(desktop_.store().Peek(L"Options", L"ExplorerFix"), L"True");
}

TEST_F(DialogsTest, SoundNotFoundAndBrowse) {
  Start();
  OptionsForm& options = OpenOptions();
  options.Check(L"Play a sound:", true);
  options.Type(L"FileNameText", L"  C:\\none.wav ");
  options.Click(L"Play Sound");
  ASSERT_FALSE(desktop_.messages().Shown().empty());
  EXPECT_EQ(desktop_.messages().Shown().back().title, L"Sound Not Found");
  EXPECT_EQ(desktop_.messages().Shown().back().text,
            L"The specified sound file, \"C:\\none.wav\", could not be found.");
  desktop_.fileOpen().QueueChoice(L"C:\\Media\\ding.wav");
  options.Click(L"Browse...");
  ASSERT_EQ(desktop_.fileOpen().Shown().size(), 1u);
  const FileOpenRequest& asked = desktop_.fileOpen().Shown()[0];
  EXPECT_EQ(asked.title, L"Select Sound");
  EXPECT_EQ(asked.filter, L"Sounds (*.wav)|*.wav");
  EXPECT_EQ(asked.flags, 0x1004u);
  EXPECT_EQ(asked.initialFolder, L"C:\\Program Files\\Quellix\\sounds");
  EXPECT_EQ(options.Get(L"FileNameText").text, L"C:\\Media\\ding.wav");
  EXPECT_EQ(options.SoundDialog().initialFolder, L"C:\\Media");
  options.Check(L"Play a sound:", false);
  EXPECT_FALSE(options.Get(L"Browse...").enabled);
  EXPECT_TRUE(options.Get(L"FileNameText").greyed);
}

TEST_F(DialogsTest, TheWebsiteEditorShowsEveryKillTypeAndKeepsATypeLeftAlone) {
  struct Case {
    std::int32_t stored;
    int position;  // shown in RuleCombo
    std::int32_t afterOk;
  };
  const Case cases[] = {{1, 0, 1}, {2, 1, 2}, {3, 2, 3}, {4, 2, 4}, {0, -1, 0}};
  Start();
  OptionsForm& options = OpenOptions(L"list");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    Proc().websites().Add(L"http://a.example/", c.stored, false);
    options.RefreshWSList();
    options.SelectRows(L"WSList", {1});
    options.Click(L"Edit Selected Rule...");
    FormModel& editor = *Host().Loaded(L"WebsiteRule");
    EXPECT_EQ(editor.Get(L"RuleCombo").position, c.position);
    EXPECT_EQ(editor.Get(L"DescriptionTitle").caption,
              WebsiteRuleForm::DescriptionTitle(c.position));
    editor.Click(L"OK");
    ASSERT_EQ(Proc().websites().WebsiteCollection().size(), 1u);
    EXPECT_EQ(Proc().websites().WebsiteCollection()[0].RuleType, c.afterOk);
    EXPECT_EQ(Proc().websites().Kill(L"http://a.example/x"), c.afterOk >= 3);
    Proc().websites().Remove(L"http://a.example/");
  }
  // A type the user changes is stored as chosen.
  Proc().websites().Add(L"http://a.example/", 4, false);
  options.RefreshWSList();
  options.SelectRows(L"WSList", {1});
  options.Click(L"Edit Selected Rule...");
  Host().Loaded(L"WebsiteRule")->Pick(L"RuleCombo", 0);
  Host().Loaded(L"WebsiteRule")->Click(L"OK");
  EXPECT_EQ(Proc().websites().WebsiteCollection()[0].RuleType, kAllowPopups);
}

TEST_F(DialogsTest, WindowRuleRowsHaveKeysOfTheirOwn) {
  Start();
  // Program and caption run together alike: "ab" + "c" and "a" + "bc".
  Proc().windows().Add(L"ab", L"c", kCaptionEquals);
  Proc().windows().Add(L"a", L"bc", kCaptionEquals);
  Proc().windows().Add(L"_general", L"c", kCaptionEquals);
  OptionsForm& options = OpenOptions();
  const Control& list = options.Get(L"WinList");
  ASSERT_EQ(list.rows.size(), 3u);
  std::set<std::wstring> keys;
  for (const ListRow& row : list.rows) {
    EXPECT_TRUE(row.key.starts_with(L"K"));
    keys.insert(row.key);
  }
  EXPECT_EQ(keys.size(), 3u);
  EXPECT_NE(OptionsForm::WinListKey(L"ab", L"c"), OptionsForm::WinListKey(L"a", L"bc"));
  EXPECT_EQ(OptionsForm::WinListKey(L"ab", L"c"), OptionsForm::WinListKey(L"ab", L"c"));
}

TEST_F(DialogsTest, TheWebPageDialogEntryOffersOnlyItsTwoCommands) {
  Start();
  Proc().popupLog().Add(L"http://news.example/", L"\"Promo\" (Web page dialog)", kBrowserPopup);
  OptionsForm& options = OpenOptions(L"log");
  options.SelectRows(L"LogList", {1});
  desktop_.menus().QueueChoice(L"");
  options.RowMenu(L"LogList");
  const sim::SimPopupMenu* menu = desktop_.menus().WithKey(L"OpenSource");
  ASSERT_NE(menu, nullptr);
  // The newest live menu with that key is the last one built: the dialog's.
  std::vector<std::wstring> keys;
  for (const auto& entry : menu->Entries())
    keys.push_back(entry.key);
  EXPECT_EQ(keys, (std::vector<std::wstring>{L"Allow", L"OpenSource"}));
  EXPECT_EQ(menu->TimesShown(), 1);
}

TEST_F(DialogsTest, DisablingIpcUninitialisesTheHookControl) {
  Start();
  ASSERT_TRUE(program_->hookControl().Initialized());
  program_->form()->MenuCommand(L"about");
  Host().ShowExtraOptionsModal();
  FormModel& extra = *Host().Loaded(L"ExtraOptions");
  extra.Check(L"Disable IPC procedures", true);
  EXPECT_TRUE(program_->hookControl().Initialized());  // nothing before OK
  extra.Click(L"OK");
  EXPECT_FALSE(program_->hookControl().Initialized());
  EXPECT_EQ(desktop_.store().Peek(L"Options", L"DisableIPC"), L"True");
}

}  // namespace
}  // namespace qx
