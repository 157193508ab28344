// The error dialog and the password box, laid out by the generic form view:
// every control of the model shows with its text, nothing is clipped or
// overlaps, and each is photographed next to the configuration dialogs.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogWorld.h"
#include "LayoutCheck.h"
#include "Screenshot.h"
#include "ui/ErrorForm.h"
#include "ui/InputBoxForm.h"
#include "win32/forms/FormView.h"
#include "win32/forms/WindowText.h"

namespace qx::win::testing {
namespace {

using ::testing::IsEmpty;

// Shows the form in a window of its own, as the port does, and checks it
// control by control.
void ExpectShownAndPhotographed(FormModel& form, const std::wstring& picture, bool masked) {
  HWND window = CreateFormWindow(form.Caption());
  ASSERT_NE(window, nullptr);
  {
    FormView view(window, form);
    if (masked) view.MaskText(L"InputText");
    ShowWindow(window, SW_SHOW);
    SetWindowPos(window, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    EXPECT_EQ(WindowText(window), form.Caption());
    std::vector<DialogView::Binding> shown;
    for (const Control& c : form.Controls()) {
      const std::wstring key = c.Key();
      SCOPED_TRACE(key);
      HWND child = view.ChildFor(key);
      ASSERT_NE(child, nullptr);
      EXPECT_EQ(IsWindowVisible(child) != FALSE, c.visible);
      EXPECT_EQ(WindowText(child), c.kind == ControlKind::TextBox ? c.text : c.caption);
      shown.push_back({&c, child, 0});
    }
    EXPECT_THAT(LayoutProblems(shown, 0), IsEmpty()) << picture;
    EXPECT_TRUE(SaveWindowPng(window, ScreenshotFile(picture))) << picture;
  }
  DestroyWindow(window);
}

TEST(SmallDialogsOnScreen, TheErrorDialogShowsItsMessageAndButtons) {
  DialogWorld world;
  Process& process = world.Start();
  ErrorForm form(process.platform(), process.ownForms(),
                 L"C:\\Program Files\\Quellix\\ErrorLog.txt");
  form.SetMessage(
      L"An error occurred while trying to initialize the main menu.\r\n\r\nError description: "
      L"Invalid procedure call or argument(#5)");
  form.ShowViewErrorLog();
  ExpectShownAndPhotographed(form, L"error-dialog", false);
}

TEST(SmallDialogsOnScreen, ThePasswordBoxShowsItsPromptAndHidesWhatIsTyped) {
  DialogWorld world;
  Process& process = world.Start();
  InputBoxForm box(process.platform(), process.ownForms(), OwnForm::Password,
                   L"You must enter the administrator password to access Quellix's menu or turn "
                   L"Quellix off:",
                   L"Enter Password", L"password");
  ExpectShownAndPhotographed(box, L"password-box", true);
}

}  // namespace
}  // namespace qx::win::testing
