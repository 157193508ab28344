// The message box, the input box, the error dialog, the file dialog and the
// shell, driven from a second thread as a user would.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "platform/PlatformError.h"

#include "ui/FormModel.h"
#include "win32/forms/FormView.h"
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

// The input box's model as the program builds it: prompt, text, OK, Cancel.
class PasswordBox final : public FormModel {
 public:
  explicit PasswordBox(HWND window) {
    caption_ = L"Enter Password";
    loaded_ = true;
    shown_ = true;
    window_ = reinterpret_cast<Hwnd>(window);
    Add({.kind = ControlKind::Label,
         .name = L"Prompt",
         .caption = L"You must enter the password:"});
    text = &Add({.kind = ControlKind::TextBox, .name = L"InputText", .text = L"password"});
    Add({.kind = ControlKind::Button, .caption = L"OK"}).onClick = [this] {
      answer = text->text;
      shown_ = false;
    };
    Add({.kind = ControlKind::Button, .caption = L"Cancel"}).onClick = [this] { shown_ = false; };
  }
  Control* text;
  std::optional<std::wstring> answer;
};

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* caption) {
  return FindWindowExW(parent, nullptr, cls, caption);
}

TEST(InputBoxTest, AnswersWhatWasTypedOrNothingWhenCancelled) {
  WinInputBox inputBox;
  HWND window = CreateFormWindow(L"Enter Password");
  PasswordBox box(window);
  std::wstring prefilled;
  LRESULT mask = 0;
  {
    UiDriver user(L"Enter Password", [&](HWND dialog) {
      HWND edit = Child(dialog, L"EDIT", nullptr);
      prefilled = UiDriver::Text(edit);
      mask = SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0);
      SetWindowTextW(edit, L" Secret ");
      PostMessageW(Child(dialog, L"BUTTON", L"OK"), BM_CLICK, 0, 0);
    });
    inputBox.ShowModal(box);
    ASSERT_TRUE(user.Acted());
  }
  EXPECT_EQ(box.answer, L" Secret ");
  EXPECT_EQ(prefilled, L"password");
  EXPECT_NE(mask, 0) << "the typed word is not shown";
  EXPECT_FALSE(IsWindowVisible(window));

  PasswordBox second(window);
  UiDriver user(L"Enter Password",
                [&](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
  inputBox.ShowModal(second);
  EXPECT_EQ(second.answer, std::nullopt);
  DestroyWindow(window);
}

TEST(InputBoxTest, ABoxWithoutAWindowIsShownInOneOfItsOwn) {
  WinInputBox inputBox;
  PasswordBox box(nullptr);
  UiDriver user(L"Enter Password", [&](HWND dialog) {
    PostMessageW(Child(dialog, L"BUTTON", L"OK"), BM_CLICK, 0, 0);
  });
  inputBox.ShowModal(box);
  ASSERT_TRUE(user.Acted());
  EXPECT_EQ(box.answer, L"password");
}

// The error dialog's model in short: a message, the silencing box, buttons
// that each end the dialog with their name.
class ErrorModel final : public FormModel {
 public:
  ErrorModel() {
    caption_ = L"Quellix Error";
    loaded_ = true;
    shown_ = true;
    info = &Add({.kind = ControlKind::Label, .name = L"InfoLabel", .caption = L"Error #5."});
    box = &Add({.kind = ControlKind::CheckBox, .name = L"noShowError", .caption = L"&Don't tell"});
    for (const wchar_t* caption : {L"OK", L"&Quit", L"&View Error Log"}) {
      Add({.kind = ControlKind::Button, .caption = caption}).onClick = [this, caption] {
        pressed = caption;
        shown_ = false;
      };
    }
  }
  void CloseBox() override { shown_ = false; }
  Control* info;
  Control* box;
  std::wstring pressed;
};

TEST(ErrorDialogTest, LoadsHiddenShowsTheModelAndHidesAgain) {
  WinErrorDialog dialog;
  const Hwnd window = dialog.Load();
  ASSERT_NE(window, 0u);
  EXPECT_FALSE(IsWindowVisible(reinterpret_cast<HWND>(window))) << "loaded, not shown";
  EXPECT_EQ(UiDriver::Text(reinterpret_cast<HWND>(window)), L"Quellix Error");

  for (const wchar_t* press : {L"&Quit", L"OK", L"&View Error Log"}) {
    ErrorModel model;
    std::wstring info;
    UiDriver user(L"Quellix Error", [&](HWND d) {
      info = UiDriver::Text(Child(d, L"STATIC", L"Error #5."));
      // The user ticks the box, then presses the button.
      SendMessageW(Child(d, L"BUTTON", L"&Don't tell"), BM_CLICK, 0, 0);
      PostMessageW(Child(d, L"BUTTON", press), BM_CLICK, 0, 0);
    });
    dialog.ShowModal(model);
    ASSERT_TRUE(user.Acted());
    EXPECT_EQ(info, L"Error #5.");
    EXPECT_EQ(model.pressed, press);
    EXPECT_TRUE(model.box->checked);
    EXPECT_FALSE(IsWindowVisible(reinterpret_cast<HWND>(window))) << "hidden again";
  }
  dialog.Unload();
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(window)));
}

// The save form: the user types a name without an extension and presses
// the dialog's "Save" button; the name comes back in the dialog's folder
// with the default extension added (OPENFILENAME's lpstrDefExt).
TEST(FileOpenDialogTest, TheSaveFormAddsTheDefaultExtension) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  std::wstring folder(temp);
  if (folder.back() == L'\\') folder.pop_back();
  WinFileOpenDialog dialog;
  bool saveButton = false;
  UiDriver user(L"Export Always-Kill Rules", [&](HWND d) {
    saveButton = Child(d, L"Button", L"&Save") != nullptr;
    // The name box: an edit (edt1) or, in the explorer form, a combo (cmb13).
    if (!SetDlgItemTextW(d, 0x480, L"mylist")) SetDlgItemTextW(d, 0x47c, L"mylist");
    PostMessageW(d, WM_COMMAND, IDOK, 0);
  });
  FileOpenRequest request;
  request.title = L"Export Always-Kill Rules";
  request.filter = L"Filter lists and hosts files (*.txt)|*.txt";
  request.flags = kOfnHideReadOnly | kOfnOverwritePrompt | kOfnPathMustExist;
  request.initialFolder = folder;
  request.save = true;
  request.defaultExtension = L"txt";
  const std::optional<std::wstring> chosen = dialog.Show(request);
  ASSERT_TRUE(user.Acted());
  EXPECT_TRUE(saveButton);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(CompareStringOrdinal(chosen->c_str(), -1, (folder + L"\\mylist.txt").c_str(), -1, TRUE),
            CSTR_EQUAL)
      << std::string(chosen->begin(), chosen->end());
}

// The file dialog belongs to the window the user asked from (the settings
// dialog's "Browse..."), which waits for the choice meanwhile; cancelled,
// it answers nothing.
TEST(FileOpenDialogTest, OwnedByTheActiveWindowAndCancelled) {
  EXPECT_EQ(SystemFilter(L"Icons (*.ico)|*.ico|All|*.*"),
            std::wstring(L"Icons (*.ico)\0*.ico\0All\0*.*\0\0", 29));
  HWND asking = CreateFormWindow(L"Asking window");
  ASSERT_NE(asking, nullptr);
  ShowWindow(asking, SW_SHOW);
  SetForegroundWindow(asking);
  SetActiveWindow(asking);
  ASSERT_EQ(GetActiveWindow(), asking);
  WinFileOpenDialog dialog;
  HWND owner = nullptr;
  bool ownerEnabled = true;
  UiDriver user(L"Select Sound", [&](HWND d) {
    owner = GetWindow(d, GW_OWNER);
    ownerEnabled = IsWindowEnabled(asking) != FALSE;
    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
  });
  FileOpenRequest request;
  request.title = L"Select Sound";
  request.filter = L"Sounds (*.wav)|*.wav";
  request.flags = kOfnFileMustExist | kOfnHideReadOnly;
  EXPECT_EQ(dialog.Show(request), std::nullopt);
  ASSERT_TRUE(user.Acted());
  EXPECT_EQ(owner, asking);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(asking)) << "enabled again afterwards";
  DestroyWindow(asking);
}

TEST(ShellTest, OpeningWhatIsNotThereFails) {
  WinShell shell;
  EXPECT_THROW(shell.Open(L"C:\\no such folder\\no such file.htm"), PlatformError);
  EXPECT_THROW(shell.Open(L""), PlatformError);
}

}  // namespace
}  // namespace qx::win
