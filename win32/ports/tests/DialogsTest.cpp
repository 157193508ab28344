// The message box, the input box, the error dialog, the file dialog and the
// shell, driven from a second thread as a user would.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/PlatformError.h"

#include "win32/ports/WinErrorDialog.h"
#include "win32/ports/WinFileOpenDialog.h"
#include "win32/ports/WinInputBox.h"
#include "win32/ports/WinMessageBoxes.h"
#include "win32/ports/WinShell.h"
#include "win32/ports/tests/UiDriver.h"

namespace qx::win {
namespace {

using test::UiDriver;

std::wstring ItemText(HWND dialog, int id) {
  return UiDriver::Text(GetDlgItem(dialog, id));
}

TEST(MessageBoxTest, ShowsTheTextUnderTheTitleWithOnlyOk) {
  std::wstring text;
  bool hasCancel = true;
  UiDriver user(L"Quellix", [&](HWND box) {
    text = ItemText(box, 0xFFFF);
    hasCancel = GetDlgItem(box, IDCANCEL) != nullptr && IsWindowVisible(GetDlgItem(box, IDCANCEL));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  WinMessageBoxes boxes;
  boxes.ShowMessage(L"ExplorerFix is now enabled.", L"Quellix");
  ASSERT_TRUE(user.Acted());
  EXPECT_EQ(text, L"ExplorerFix is now enabled.");
  EXPECT_FALSE(hasCancel);
}

TEST(InputBoxTest, AnswersWhatWasTypedOrNothingWhenCancelled) {
  WinInputBox box;
  std::wstring prompt;
  std::wstring prefilled;
  LONG style = 0;
  {
    UiDriver user(L"Enter Password", [&](HWND dialog) {
      prompt = ItemText(dialog, kInputBoxPrompt);
      prefilled = ItemText(dialog, kInputBoxEdit);
      style = GetWindowLongW(GetDlgItem(dialog, kInputBoxEdit), GWL_STYLE);
      SetDlgItemTextW(dialog, kInputBoxEdit, L" Secret ");
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    const auto answer =
        box.Ask(L"You must enter the administrator password:", L"Enter Password", L"password");
    ASSERT_TRUE(user.Acted());
    EXPECT_EQ(answer, L" Secret ");
  }
  EXPECT_EQ(prompt, L"You must enter the administrator password:");
  EXPECT_EQ(prefilled, L"password");
  EXPECT_TRUE(style & ES_PASSWORD) << "the typed word is not shown";

  UiDriver user(L"Enter Password",
                [&](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_EQ(box.Ask(L"p", L"Enter Password", L"password"), std::nullopt);
}

TEST(ErrorDialogTest, ShowsTheStateAndAnswersTheButtonWithTheCheckBox) {
  WinErrorDialog dialog;
  const Hwnd window = dialog.Load();
  ASSERT_NE(window, 0u);
  EXPECT_FALSE(IsWindowVisible(reinterpret_cast<HWND>(window))) << "loaded, not shown";
  EXPECT_EQ(UiDriver::Text(reinterpret_cast<HWND>(window)), L"Quellix Error");

  struct Case {
    bool viewLog;
    bool checkedBefore;
    int press;
    ErrorDialogButton expected;
    bool checkedAfter;
  } cases[] = {
      {true, false, kErrorQuit, ErrorDialogButton::Quit, true},
      {false, true, IDOK, ErrorDialogButton::Ok, false},
      {true, false, kErrorViewLog, ErrorDialogButton::ViewErrorLog, true},
      {false, false, kErrorSupport, ErrorDialogButton::AskTechnicalSupport, true},
  };
  for (const Case& c : cases) {
    std::wstring info;
    bool viewLogShown = false;
    UiDriver user(L"Quellix Error", [&](HWND d) {
      info = ItemText(d, kErrorInfo);
      viewLogShown = IsWindowVisible(GetDlgItem(d, kErrorViewLog)) != FALSE;
      // The user clicks the check box once, then the button.
      SendMessageW(GetDlgItem(d, kErrorNoShow), BM_CLICK, 0, 0);
      PostMessageW(d, WM_COMMAND, MAKEWPARAM(c.press, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(d, c.press)));
    });
    ErrorDialogState state{L"Error #5 has occurred.", c.checkedBefore, c.viewLog};
    EXPECT_EQ(dialog.WaitForButton(state), c.expected);
    ASSERT_TRUE(user.Acted());
    EXPECT_EQ(info, L"Error #5 has occurred.");
    EXPECT_EQ(viewLogShown, c.viewLog);
    EXPECT_EQ(state.noShowError, c.checkedAfter);
    EXPECT_FALSE(IsWindowVisible(reinterpret_cast<HWND>(window))) << "hidden again";
  }
  dialog.Unload();
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(window)));
}

TEST(FileOpenDialogTest, FilterAndCancel) {
  EXPECT_EQ(SystemFilter(L"Icons (*.ico)|*.ico|All|*.*"),
            std::wstring(L"Icons (*.ico)\0*.ico\0All\0*.*\0\0", 29));
  WinFileOpenDialog dialog;
  UiDriver user(L"Choose a picture", [&](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
  FileOpenRequest request;
  request.title = L"Choose a picture";
  request.filter = L"Icons (*.ico)|*.ico";
  request.flags = kOfnFileMustExist | kOfnHideReadOnly;
  EXPECT_EQ(dialog.Show(request), std::nullopt);
  EXPECT_TRUE(user.Acted());
}

TEST(ShellTest, OpeningWhatIsNotThereFails) {
  WinShell shell;
  EXPECT_THROW(shell.Open(L"C:\\no such folder\\no such file.htm"), PlatformError);
  EXPECT_THROW(shell.Open(L""), PlatformError);
}

}  // namespace
}  // namespace qx::win
