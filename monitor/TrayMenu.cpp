// The tray icon's state, tip and handlers, the main menu and the
// administrator password.

#include "base/Text.h"
#include "context/Process.h"
#include "monitor/MainForm.h"
#include "monitor/StartupModule.h"
#include "platform/PlatformError.h"

namespace qx {
namespace {

struct MenuEntry {
  const wchar_t* caption;
  int image;
  const wchar_t* key;
};

constexpr MenuEntry kMenu[] = {
    {L"-Quellix 2.1", -1, L""},
    {L"Disable (Turn Off) Quellix", 7, L"enabled"},
    {L"Options...", 1, L"options"},
    {L"Recently blocked", -1, L"recent"},
    {L"-Pop-up Windows", -1, L""},
    {L"Allowed/Disallowed List...", 2, L"list"},
    {L"Log of Killed Pop-ups...", 4, L"log"},
    {L"-Info", -1, L""},
    {L"About...", 9, L"about"},
    {L"Test Quellix...", 8, L"test"},
    {L"Help...", 5, L"help"},
    {L"-", -1, L""},
    {L"Close Quellix", -1, L"close"},
};

std::wstring PasswordForm(std::wstring_view text) {
  return LowerCase(Trim(text));
}

}  // namespace

void MainForm::UpdateTipText() {
  if (trayIcon_) trayIcon_->SetTipText(blockingEnabled_ ? L"Quellix (On)" : L"Quellix (Off)");
}

void MainForm::LoadTrayPictures() {
  struct Slot {
    const wchar_t* name;
    PictureHandle* image;
  };
  const Slot slots[] = {{L"EnabledPicture", &enabledImage_},
                        {L"DisabledPicture", &disabledImage_},
                        {L"AlertPicture", &alertImage_}};
  for (const Slot& slot : slots) {
    Step([&] {
      const std::wstring path = platform_.store.Get(kAppName, L"Options", slot.name).value_or(L"");
      if (path.empty()) return;
      *slot.image = platform_.pictures.Load(path);
      if (slot.image == &enabledImage_) trayPicture_.SetPicture(enabledImage_);
    });
  }
}

void MainForm::InitializeMenu() {
  try {
    auto menu = platform_.menus.Create();
    menu->SetOwner(window_, trayPicture_.Window());
    menu->SetOption(0);
    for (const MenuEntry& entry : kMenu)
      menu->AddEntry(entry.caption, entry.image, entry.key);
    popMenu_ = std::move(menu);
  } catch (const PlatformError& e) {
    popMenu_.reset();
    process_.errors().ReportError(L"InitializeMenu",
                                  L"An error occurred while trying to initialize the main menu.",
                                  false, MakeError(e));
  }
}

void MainForm::ToggleEnabled() {
  if (blockingEnabled_) {
    blockingEnabled_ = false;
    blinkTimer_->SetEnabled(false);
    trayPicture_.SetPicture(disabledImage_);
  } else {
    blockingEnabled_ = true;
    trayPicture_.SetPicture(enabledImage_);
  }
  UpdateTipText();
  Step([&] {
    if (!popMenu_) return;
    const int index = popMenu_->IndexOf(L"enabled");
    if (index <= 0) return;
    popMenu_->SetImage(index, blockingEnabled_ ? 7 : 6);
    popMenu_->SetCaption(
        index, blockingEnabled_ ? L"Disable (Turn Off) Quellix" : L"Enable (Turn On) Quellix");
  });
}

bool MainForm::CheckAdminPassword() {
  const std::wstring admin = PasswordForm(process_.settings().AdminPassword());
  if (PasswordForm(enteredPassword_) == admin) return true;
  InputBoxForm box(platform_, process_.ownForms(), OwnForm::Password,
                   L"You must enter the administrator password to access Quellix's menu or turn "
                   L"Quellix off:",
                   L"Enter Password", L"password");
  struct Current {
    InputBoxForm*& current;
    InputBoxForm* outer;
    ~Current() { current = outer; }
  } current{passwordBox_, passwordBox_};
  passwordBox_ = &box;
  std::optional<std::wstring> answer;
  Step([&] { answer = box.Ask(); });
  enteredPassword_ = answer.value_or(L"");
  return PasswordForm(enteredPassword_) == admin;
}

FormModel* MainForm::PasswordBox() {
  return passwordBox_ != nullptr && passwordBox_->Loaded() ? passwordBox_ : nullptr;
}

void MainForm::LButtonDblClick() {
  if (!Trim(process_.settings().AdminPassword()).empty() && !CheckAdminPassword()) return;
  ToggleEnabled();
}

void MainForm::Lbuttondown() {
  trayLeftDown_ = true;
  trayRightDown_ = false;
}

void MainForm::RButtonDown() {
  trayRightDown_ = true;
  trayLeftDown_ = false;
}

void MainForm::Lbuttonup() {
  trayLeftDown_ = false;
  trayRightDown_ = false;
}

void MainForm::Rbuttonup() {
  if (trayRightDown_) {
    if (!Trim(process_.settings().AdminPassword()).empty() && !CheckAdminPassword()) {
      trayLeftDown_ = false;
      return;
    }
    trayRightDown_ = false;
    Step([&] { RefreshRecentMenu(); });
    const std::wstring key = popMenu_ ? TrackMenu(*popMenu_) : std::wstring();
    if (!key.empty()) MenuCommand(key);
  }
  trayLeftDown_ = false;
}

void MainForm::MenuCommand(const std::wstring& key) {
  if (key == L"enabled") {
    ToggleEnabled();
  } else if (key == L"options") {
    Step([&] { dialogs_.ShowOptions(0); });
  } else if (key == L"list") {
    Step([&] { dialogs_.ShowOptions(4); });
  } else if (key == L"log") {
    Step([&] { dialogs_.ShowOptions(7); });
  } else if (key == L"about") {
    Step([&] { dialogs_.ShowOptions(9); });
  } else if (key == L"help") {
    ShowHelpTopic(platform_.shell, platform_.files, L"contents.htm");
  } else if (key == L"test") {
    testTimer_->SetEnabled(true);
  } else if (key == L"close") {
    CloseProgram();
  } else if (key.starts_with(L"recent.")) {
    RecentCommand(key);
  }
}

}  // namespace qx
