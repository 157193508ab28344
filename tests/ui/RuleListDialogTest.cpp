// The Websites tab's "Import..." and "Export...": the file dialogs they ask
// for, and what they do with the file chosen.
#include <gtest/gtest.h>

#include "sim/SimProgram.h"
#include "ui/FormHost.h"

namespace qx {
namespace {

class RuleListDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = std::make_unique<sim::SimProgram>(desktop_);
    ASSERT_EQ(program_->Start(L""), StartOutcome::Running);
    program_->form()->MenuCommand(L"list");
    options_ = program_->forms()->Options();
    ASSERT_NE(options_, nullptr);
  }
  std::wstring File(std::wstring_view name, std::string_view bytes) {
    const std::wstring path = desktop_.files().ProgramFile(name);
    desktop_.files().WriteAll(path, bytes);
    return path;
  }
  std::wstring LastMessage() {
    const auto& shown = desktop_.messages().Shown();
    return shown.empty() ? L"" : shown.back().text;
  }

  sim::SimDesktop desktop_;
  std::unique_ptr<sim::SimProgram> program_;
  OptionsForm* options_ = nullptr;
};

TEST_F(RuleListDialogTest, ImportAsksForAListAndTellsWhatItAdded) {
  desktop_.fileOpen().QueueChoice(File(L"list.txt", "0.0.0.0 a.example\n0.0.0.0 b.example\n"));
  options_->Click(L"Import...");
  const FileOpenRequest& asked = desktop_.fileOpen().Shown().at(0);
  EXPECT_EQ(asked.title, L"Import Website Rules");
  EXPECT_EQ(asked.filter, L"Filter lists and hosts files (*.txt)|*.txt|All files (*.*)|*.*");
  EXPECT_EQ(asked.flags, kOfnHideReadOnly | kOfnFileMustExist);
  EXPECT_FALSE(asked.save);
  EXPECT_EQ(LastMessage(), L"Added 2 rules.");
  EXPECT_EQ(options_->Get(L"WSList").rows.size(), 2u);
  // The next dialog opens where the list was.
  EXPECT_EQ(options_->ImportDialog().initialFolder, desktop_.files().ProgramFolder());
}

TEST_F(RuleListDialogTest, ExportAsksWhereToSaveAndWritesTheList) {
  options_->Click(L"Export...");
  EXPECT_TRUE(desktop_.fileOpen().Shown().empty()) << "no always-kill rule: no file dialog";
  EXPECT_EQ(LastMessage(), L"There are no always-kill rules to export.");

  program_->process()->websites().Add(L"http://pop.example/", kAlwaysKill, false);
  const std::wstring target = desktop_.files().ProgramFile(L"out.txt");
  desktop_.fileOpen().QueueChoice(target);
  options_->Click(L"Export...");
  const FileOpenRequest& asked = desktop_.fileOpen().Shown().at(0);
  EXPECT_EQ(asked.title, L"Export Always-Kill Rules");
  EXPECT_TRUE(asked.save);
  EXPECT_EQ(asked.defaultExtension, L"txt");
  EXPECT_EQ(asked.fileName, L"quellix-rules.txt");
  EXPECT_EQ(asked.flags, kOfnHideReadOnly | kOfnOverwritePrompt | kOfnPathMustExist);
  EXPECT_EQ(LastMessage(), L"Exported 1 rule.");
  EXPECT_EQ(desktop_.files().ReadAll(target),
            "[Adblock Plus 2.0]\r\n! Title: Quellix always-kill rules\r\n"
            "! Last modified: 2004-06-01\r\n|http://pop.example^$popup\r\n");
}

TEST_F(RuleListDialogTest, AFileTooLargeForAListIsNotRead) {
  desktop_.fileOpen().QueueChoice(File(L"huge.txt", std::string(64 * 1024 * 1024 + 1, 'x')));
  desktop_.failures().FailNext("Files.ReadAll", 1);
  options_->Click(L"Import...");
  EXPECT_EQ(LastMessage(),
            L"The file is too large for a filter list or a hosts file; nothing was imported.");
  EXPECT_TRUE(desktop_.errorDialog().Shown().empty()) << "it was not read";
}

}  // namespace
}  // namespace qx
