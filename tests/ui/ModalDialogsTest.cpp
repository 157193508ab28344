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

TEST_F(ErrorDialogTest, TheDialogStaysOpenAcrossStepsUntilOK) {
  Hwnd registered = 0;
  user.steps = {
      [&] {
        FormModel& d = Dialog();
        EXPECT_TRUE(d.Shown());
        EXPECT_EQ(d.Caption(), L"Quellix Error");
        EXPECT_EQ(d.Get(L"TitleLabel").caption, L"Quellix has encountered an error.");
        EXPECT_EQ(d.Get(L"InfoLabel").caption,
                  L"Error #13 has occurred.  Click OK to continue running Quellix, or Quit to "
                  L"exit.\r\n\r\nError description: Subscript out of range(#13)");
        EXPECT_EQ(d.Get(L"noShowError").caption, L"&Don't tell me if this error occurs again");
        EXPECT_FALSE(d.Get(L"noShowError").checked);
        EXPECT_TRUE(d.Get(L"View Error Log").visible);
        registered = process.ownForms().Get(OwnForm::Error);
        EXPECT_EQ(registered, d.Window());
      },
      [&] { Dialog().Click(L"View Error Log"); },
      [&] { Dialog().Click(L"Ask Technical Support..."); },
      [&] { Dialog().Check(L"noShowError", true); },
      [&] { Dialog().Click(L"OK"); },
      [&] { ADD_FAILURE() << "a step after OK ran inside the closed dialog"; },
  };
  Report(13);
  EXPECT_EQ(user.steps.size(), 1u);
  EXPECT_NE(registered, 0u);
  EXPECT_FALSE(process.ownForms().IsOwnFormWindow(registered));
  EXPECT_EQ(process.ownForms().Get(OwnForm::Error), 0u);
  EXPECT_EQ(ErrorFormPromptOf(process)->Dialog(), nullptr);
  EXPECT_FALSE(desktop.errorDialog().Loaded());
  ASSERT_EQ(desktop.shell().Opened().size(), 2u);
  EXPECT_EQ(desktop.shell().Opened()[0], L"C:\\Program Files\\Quellix\\ErrorLog.txt");
  EXPECT_EQ(desktop.shell().Opened()[1], kSupportMailLink);
  EXPECT_EQ(Stored(13), L"False");
  EXPECT_TRUE(user.closed.empty());
}

TEST_F(ErrorDialogTest, QuitFromInsideTheLoopEndsTheProcessAtOnce) {
  user.steps = {[&] { Dialog().Click(L"Quit"); }};
  EXPECT_THROW(Report(7), sim::ProcessEnded);
  EXPECT_EQ(desktop.hookControl().Calls(), std::vector<std::string>{"Uninitialize"});
  EXPECT_FALSE(Stored(7).has_value());
}

TEST_F(ErrorDialogTest, StepsRunningOutCloseTheDialogAsItsWindowIsClosed) {
  user.steps = {[&] { Dialog().Check(L"noShowError", true); }};
  Report(8);
  ASSERT_EQ(user.closed.size(), 1u);
  EXPECT_EQ(user.closed[0], "Quellix Error: the scenario ended");
  // Closing the window goes on as OK: the box counts as the user left it.
  EXPECT_EQ(Stored(8), L"False");
  EXPECT_EQ(ErrorFormPromptOf(process)->Dialog(), nullptr);
}

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

TEST_F(PasswordBoxTest, AnswersAndTheirResults) {
  struct Case {
    const char* name;
    std::vector<std::function<void(FormModel&)>> actions;
    bool accepted;
    bool closedByTheEnd;
  };
  const Case cases[] = {
      {"right word, other case and blanks",
       {[](FormModel& b) { b.Type(L"InputText", L"  SECRET"); },
        [](FormModel& b) { b.Click(L"OK"); }},
       true,
       false},
      {"wrong word",
       {[](FormModel& b) { b.Type(L"InputText", L"wrong"); }, [](FormModel& b) { b.Click(L"OK"); }},
       false,
       false},
      {"the suggested text", {[](FormModel& b) { b.Click(L"OK"); }}, false, false},
      {"right word, then Cancel",
       {[](FormModel& b) { b.Type(L"InputText", L"secret"); },
        [](FormModel& b) { b.Click(L"Cancel"); }},
       false,
       false},
      {"right word, then the steps end",
       {[](FormModel& b) { b.Type(L"InputText", L"secret"); }},
       false,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::SimDesktop d;
    ScriptedUser u(d);
    d.store().Poke(L"Options", L"AdminPassword", L"Secret ");
    sim::SimProgram p(d);
    ASSERT_EQ(p.Start(L""), StartOutcome::Running);
    for (const auto& action : c.actions) {
      u.steps.push_back([&p, &action] {
        FormModel* box = p.Dialog(L"Password");
        ASSERT_NE(box, nullptr);
        action(*box);
      });
    }
    bool ok = false;
    p.Run([&] { ok = p.form()->CheckAdminPassword(); });
    EXPECT_EQ(ok, c.accepted);
    EXPECT_TRUE(u.steps.empty());
    EXPECT_EQ(u.closed.size(), c.closedByTheEnd ? 1u : 0u);
    EXPECT_EQ(p.Dialog(L"Password"), nullptr);
    EXPECT_EQ(p.process()->ownForms().Get(OwnForm::Password), 0u);
    ASSERT_EQ(d.inputBox().Asked().size(), 1u);
    const sim::AskedInput& asked = d.inputBox().Asked()[0];
    EXPECT_EQ(asked.title, L"Enter Password");
    EXPECT_EQ(asked.defaultText, L"password");
    EXPECT_EQ(asked.prompt,
              L"You must enter the administrator password to access Quellix's menu or turn "
              L"Quellix off:");
  }
}

TEST_F(PasswordBoxTest, TheOpenBoxIsModalAndRegisteredAndARightWordIsRemembered) {
  Start(L"Secret");
  user.steps = {
      [&] {
        FormModel& box = Box();
        EXPECT_EQ(program->Modal(), &box);
        EXPECT_NE(box.Window(), 0u);
        EXPECT_EQ(program->process()->ownForms().Get(OwnForm::Password), box.Window());
        EXPECT_TRUE(program->process()->ownForms().IsOwnFormWindow(box.Window()));
        box.Type(L"InputText", L"secret");
      },
      [&] { Box().Click(L"OK"); },
  };
  EXPECT_TRUE(Check());
  EXPECT_EQ(program->Modal(), nullptr);
  // Asked once per run: the next check needs no box.
  EXPECT_TRUE(Check());
  EXPECT_EQ(desktop.inputBox().Asked().size(), 1u);
}

TEST_F(PasswordBoxTest, QueuedAnswersNeedNoSteps) {
  Start(L"Secret");
  desktop.inputBox().QueueAnswer(L"wrong");
  desktop.inputBox().QueueAnswer(std::nullopt);
  desktop.inputBox().QueueAnswer(L"secret");
  user.steps = {[] { ADD_FAILURE() << "a step ran although answers were queued"; }};
  EXPECT_FALSE(Check());
  EXPECT_FALSE(Check());
  EXPECT_TRUE(Check());
  EXPECT_EQ(user.steps.size(), 1u);
}

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
