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

TEST(WebsiteRuleFormText, AttachProtocol) {
  EXPECT_EQ(WebsiteRuleForm::AttachProtocol(L"a.example"), L"http://a.example");
  EXPECT_EQ(WebsiteRuleForm::AttachProtocol(L"a.example:8080/x"), L"http://a.example:8080/x");
  EXPECT_EQ(WebsiteRuleForm::AttachProtocol(L"https://a.example"), L"https://a.example");
  EXPECT_EQ(WebsiteRuleForm::AttachProtocol(L"file:\\\\c\\x"), L"file:\\\\c\\x");
  EXPECT_EQ(WebsiteRuleForm::AttachProtocol(L"a.example:"), L"http://a.example:");
}

TEST_F(DialogsTest, AutoCloseCanBeTickedOnlyInItsStartMode) {
  Start();
  OptionsForm& options = OpenOptions();
  const Control& autoClose =
      options.Get(L"Close Quellix when all instances of Internet Explorer have closed");
  for (const int position : {0, 1, 2}) {
    options.Pick(L"startupCombo", position);
    EXPECT_EQ(autoClose.enabled, position == 1) << position;
  }
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

}  // namespace
}  // namespace qx
