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

// The scenarios (dialogs_rulelists.scn) show what the two do; here, what
// the file dialogs are asked, which no scenario sees.
TEST_F(RuleListDialogTest, TheFileDialogsAskedFor) {
  desktop_.fileOpen().QueueChoice(File(L"list.txt", "0.0.0.0 a.example\n"));
  options_->Click(L"Import...");
  const FileOpenRequest& import = desktop_.fileOpen().Shown().at(0);
  EXPECT_EQ(import.title, L"Import Website Rules");
  EXPECT_EQ(import.filter, L"Filter lists and hosts files (*.txt)|*.txt|All files (*.*)|*.*");
  EXPECT_EQ(import.flags, kOfnHideReadOnly | kOfnFileMustExist);
  EXPECT_FALSE(import.save);
  EXPECT_EQ(LastMessage(), L"Added 1 rule.");
  // The next dialog opens where the list was.
  EXPECT_EQ(options_->ImportDialog().initialFolder, desktop_.files().ProgramFolder());

  desktop_.fileOpen().QueueChoice(std::nullopt);
  options_->Click(L"Export...");
  const FileOpenRequest& exported = desktop_.fileOpen().Shown().at(1);
  EXPECT_EQ(exported.title, L"Export Always-Kill Rules");
  EXPECT_TRUE(exported.save);
  EXPECT_EQ(exported.defaultExtension, L"txt");
  EXPECT_EQ(exported.fileName, L"quellix-rules.txt");
  EXPECT_EQ(exported.flags, kOfnHideReadOnly | kOfnOverwritePrompt | kOfnPathMustExist);
  EXPECT_EQ(LastMessage(), L"Added 1 rule.") << "a cancelled export says nothing";
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
