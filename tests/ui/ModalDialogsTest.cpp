// The error dialog and the password box: blocking dialogs whose modal loop
// runs the user's later actions until one of them closes the dialog.

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "base/Text.h"
#include "context/Process.h"
#include "sim/SimProgram.h"
#include "ui/ErrorForm.h"
#include "ui/ErrorFormPrompt.h"

namespace qx {
namespace {

// The user's actions, one per step, run inside whichever modal loop is open.
class ScriptedUser final : public sim::ModalDriver {
 public:
  explicit ScriptedUser(sim::SimDesktop& desktop) : desktop_(desktop) {
    desktop_.modal().SetDriver(this);
  }
  ~ScriptedUser() override { desktop_.modal().SetDriver(nullptr); }
  ScriptedUser(const ScriptedUser&) = delete;
  ScriptedUser& operator=(const ScriptedUser&) = delete;

  bool RunNextStep() override {
    if (steps.empty()) return false;
    const std::function<void()> step = std::move(steps.front());
    steps.pop_front();
    step();
    return true;
  }
  void ClosedUnanswered(const FormModel& form, std::string_view why) override {
    closed.push_back(ToUtf8(form.Caption()) + ": " + std::string(why));
  }

  std::deque<std::function<void()>> steps;
  std::vector<std::string> closed;

 private:
  sim::SimDesktop& desktop_;
};

class ErrorDialogTest : public ::testing::Test {
 protected:
  ErrorDialogTest() : process(desktop.platform()) { UseErrorForm(process); }
  void Report(std::int32_t number) {
    process.errors().ReportError(L"WebsiteRuleAdd", L"", false,
                                 MakeError(L"Subscript out of range", number, L"Quellix"));
  }
  FormModel& Dialog() {
    ErrorForm* dialog = ErrorFormPromptOf(process)->Dialog();
    if (dialog == nullptr) throw std::runtime_error("no error dialog is loaded");
    return *dialog;
  }
  std::optional<std::wstring> Stored(std::int32_t number) {
    return desktop.store().Peek(L"Errors", L"WebsiteRuleAdd " + std::to_wstring(number));
  }

  sim::SimDesktop desktop;
  Process process;
  ScriptedUser user{desktop};
};

TEST_F(ErrorDialogTest, AReportMadeWhileTheDialogWaitsTakesItsPlace) {
  ErrorForm* first = nullptr;
  user.steps = {
      [&] {
        first = ErrorFormPromptOf(process)->Dialog();
        Report(14);
      },
      [&] {
        EXPECT_FALSE(first->Loaded());
        EXPECT_NE(Dialog().Get(L"InfoLabel").caption.find(L"(#14)"), std::wstring::npos);
        Dialog().Click(L"OK");
      },
  };
  Report(13);
  EXPECT_TRUE(user.steps.empty());
  EXPECT_EQ(Stored(14), L"True");
  // The replaced dialog stores nothing.
  EXPECT_FALSE(Stored(13).has_value());
  EXPECT_EQ(ErrorFormPromptOf(process)->Dialog(), nullptr);
  EXPECT_EQ(process.ownForms().Get(OwnForm::Error), 0u);
}

TEST_F(ErrorDialogTest, DialogsOpenedInsideEachOtherStopAtTheDepthLimit) {
  std::int32_t number = 100;
  for (int i = 0; i < 100; ++i)
    user.steps.push_back([&] { Report(number++); });
  Report(number++);
  ASSERT_EQ(user.closed.size(), 1u);
  EXPECT_EQ(user.closed[0], "Quellix Error: too many dialogs open inside each other");
  EXPECT_EQ(user.steps.size(), 100u - static_cast<std::size_t>(sim::SimModalLoop::kMaxDepth));
  EXPECT_EQ(desktop.modal().Depth(), 0);
  EXPECT_EQ(ErrorFormPromptOf(process)->Dialog(), nullptr);
}

class PasswordBoxTest : public ::testing::Test {
 protected:
  void Start(const wchar_t* password) {
    desktop.store().Poke(L"Options", L"AdminPassword", password);
    program = std::make_unique<sim::SimProgram>(desktop);
    ASSERT_EQ(program->Start(L""), StartOutcome::Running);
  }
  bool Check() {
    bool ok = false;
    program->Run([&] { ok = program->form()->CheckAdminPassword(); });
    return ok;
  }
  FormModel& Box() {
    FormModel* box = program->Dialog(L"Password");
    if (box == nullptr) throw std::runtime_error("no password box is loaded");
    return *box;
  }

  sim::SimDesktop desktop;
  ScriptedUser user{desktop};
  std::unique_ptr<sim::SimProgram> program;
};

TEST_F(PasswordBoxTest, ACrashInsideTheLoopEndsTheProcessOnceItsCodeUnwound) {
  Start(L"Secret");
  user.steps = {[&] {
    program->Crash();
    // Its code is still on the stack: nothing is torn down yet.
    EXPECT_NE(program->process(), nullptr);
    EXPECT_FALSE(program->Running());
  }};
  EXPECT_FALSE(Check());
  EXPECT_FALSE(program->Running());
  EXPECT_EQ(program->process(), nullptr);
  EXPECT_EQ(desktop.modal().Depth(), 0);
  EXPECT_FALSE(desktop.tray().Shown().has_value());
}

TEST_F(PasswordBoxTest, ALogoffInsideTheLoopClosesTheBoxAndEndsTheProgramAfterwards) {
  Start(L"Secret");
  user.steps = {
      [&] { Box().Type(L"InputText", L"secret"); },
      [&] { program->Logoff(); },
      [] { ADD_FAILURE() << "the box stayed open after the log-off"; },
  };
  // The box goes away as when its window is closed: not confirmed.
  EXPECT_FALSE(Check());
  EXPECT_TRUE(program->Running());
  program->Settle();
  EXPECT_FALSE(program->Running());
  EXPECT_EQ(user.steps.size(), 1u);
}

}  // namespace
}  // namespace qx
