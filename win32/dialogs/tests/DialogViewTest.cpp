// The configuration dialogs as real windows: every tab and dialog shows
// every control of its model with the model's texts, nothing is clipped or
// overlaps, and what the user does on screen reaches the rules and
// settings. Each dialog is photographed into the build folder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "DialogWorld.h"
#include "LayoutCheck.h"
#include "Screenshot.h"
#include "win32/dialogs/DialogIds.h"
#include "win32/forms/WindowText.h"

namespace qx::win::testing {
namespace {

using ::testing::EndsWith;
using ::testing::IsEmpty;

std::wstring Text(HWND window) {
  return WindowText(window);
}

// The user presses a button, box or link on screen.
void Press(HWND control) {
  wchar_t cls[32] = {};
  GetClassNameW(control, cls, 32);
  if (lstrcmpiW(cls, L"Button") == 0) {
    SendMessageW(control, BM_CLICK, 0, 0);
  } else {
    // A link is a static that tells its window of the click.
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), STN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
  }
}

// The user picks an item of a drop-down list.
void Choose(HWND combo, int position) {
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

// The user clicks a tab of the strip: it selects it and tells its window.
void ClickTab(HWND tabs, int tab) {
  SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(tab - 1), 0);
  NMHDR header{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(GetParent(tabs), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void SelectRow(HWND list, int row) {
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

void ListNotify(HWND list, UINT code) {
  NMITEMACTIVATE note{};
  note.hdr = {list, static_cast<UINT_PTR>(GetDlgCtrlID(list)), code};
  note.iItem =
      static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  SendMessageW(GetParent(list), WM_NOTIFY, note.hdr.idFrom, reinterpret_cast<LPARAM>(&note));
}

std::wstring Cell(HWND list, int row, int column) {
  wchar_t text[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 512;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

// The website rule whose address holds `host`, if any.
std::optional<Website> RuleFor(Process& process, std::wstring_view host) {
  for (const Website& rule : process.websites().WebsiteCollection()) {
    if (rule.URL.find(host) != std::wstring::npos) return rule;
  }
  return std::nullopt;
}

int Rows(HWND list) {
  return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

// Runs a step once the thread's loop is running again: inside the modal
// loop of a dialog that the next action opens.
class Later {
 public:
  explicit Later(std::function<void()> step) : step_(std::move(step)) {
    static constexpr wchar_t kClass[] = L"QuellixTestLater";
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Later::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    window_ = CreateWindowW(kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetTimer(window_, 1, 50, nullptr);
  }
  ~Later() { DestroyWindow(window_); }
  Later(const Later&) = delete;
  Later& operator=(const Later&) = delete;
  bool Ran() const { return ran_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
      KillTimer(window, 1);
      auto* self = reinterpret_cast<Later*>(GetWindowLongPtrW(window, GWLP_USERDATA));
      if (self != nullptr && !self->ran_) {
        self->ran_ = true;
        self->step_();
      }
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  std::function<void()> step_;
  HWND window_ = nullptr;
  bool ran_ = false;
};

bool HasCaption(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label:
    case ControlKind::Link:
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::Frame:
      return true;
    default:
      return false;
  }
}

// Every control of the dialog itself and of the tab's panel shows its
// model's caption and visibility, nothing is clipped, and the picture is
// saved.
void ExpectShownAsModelled(DialogView& view, int tab, const std::wstring& picture) {
  for (const DialogView::Binding& b : view.Bindings()) {
    if (b.tab != tab && b.tab != 0) continue;
    const Control& c = *b.control;
    SCOPED_TRACE(c.name.empty() ? c.caption : c.name);
    ASSERT_TRUE(IsWindow(b.window));
    if (b.tab != 0) {
      EXPECT_TRUE(IsChild(view.Panel(tab), b.window));
    }
    if (c.kind == ControlKind::Tab) continue;
    if (HasCaption(c.kind)) {
      EXPECT_EQ(Text(b.window), c.caption);
    }
    EXPECT_EQ(IsWindowVisible(b.window) != FALSE, c.visible);
    EXPECT_EQ(IsWindowEnabled(b.window) != FALSE, c.enabled);
  }
  EXPECT_THAT(LayoutProblems(view, tab), IsEmpty()) << picture;
  EXPECT_TRUE(SaveWindowPng(view.Window(), ScreenshotFile(picture))) << picture;
}

// The tooltip control a dialog owns, and how many tools it has.
struct ToolSearch {
  HWND owner;
  int tools = -1;
};

BOOL CALLBACK FindTools(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<ToolSearch*>(context);
  wchar_t cls[64] = {};
  GetClassNameW(window, cls, 64);
  if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0 && GetWindow(window, GW_OWNER) == search->owner) {
    search->tools = static_cast<int>(SendMessageW(window, TTM_GETTOOLCOUNT, 0, 0));
    return FALSE;
  }
  return TRUE;
}

class DialogsOnScreen : public ::testing::Test {
 protected:
  DialogView& OpenOptions(int tab) {
    world_.dialogs.ShowOptions(tab);
    world_.Pump();
    DialogView* view = world_.dialogs.View(L"Options");
    if (view == nullptr) throw std::runtime_error("the settings dialog has no view");
    return *view;
  }
  HWND Tabs(DialogView& view) { return GetDlgItem(view.Window(), QX_ID_TABS); }
  HWND On(DialogView& view, std::wstring_view control) {
    HWND w = view.ChildFor(control);
    if (w == nullptr) throw std::runtime_error("no window for a control");
    return w;
  }

  DialogWorld world_;
};

TEST_F(DialogsOnScreen, EveryTabShowsEveryControlWithItsTextAndNothingClipped) {
  Process& process = world_.Start();
  process.websites().Add(L"http://www.allowed.example/", kAllowPopups, true);
  process.websites().Add(L"http://ads.example/popup.html", kAlwaysKill, false);
  process.windows().Add(kAllPrograms, L"Special Offer", kCaptionEquals);
  process.windows().Add(L"C:\\Tools\\nag.exe", L"Register now", kCaptionContains);
  process.popupLog().Add(L"http://news.example/today", L"http://ads.example/win.html", 1);
  process.popupLog().Add(L"C:\\Tools\\nag.exe", L"Register now!", 2);
  DialogView& view = OpenOptions(1);

  EXPECT_THAT(view.Unbound(), IsEmpty());
  EXPECT_TRUE(IsWindowVisible(view.Window()));
  EXPECT_EQ(Text(view.Window()), L"Quellix Settings");
  ASSERT_EQ(SendMessageW(Tabs(view), TCM_GETITEMCOUNT, 0, 0), kOptionTabs);

  const wchar_t* kPictures[] = {L"general", L"browser", L"advanced",    L"websites", L"windows",
                                L"hotkeys", L"log",     L"log-options", L"about"};
  for (int tab = 1; tab <= kOptionTabs; ++tab) {
    SCOPED_TRACE(tab);
    ClickTab(Tabs(view), tab);
    world_.Pump();
    EXPECT_EQ(view.Form().SelectedTab(), tab);
    for (int other = 1; other <= kOptionTabs; ++other) {
      EXPECT_EQ(IsWindowVisible(view.Panel(other)) != FALSE, other == tab);
      EXPECT_EQ(IsWindowEnabled(view.Panel(other)) != FALSE, other == tab);
    }
    wchar_t caption[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption;
    item.cchTextMax = 64;
    SendMessageW(Tabs(view), TCM_GETITEMW, static_cast<WPARAM>(tab - 1),
                 reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(caption), kOptionTabTable[static_cast<std::size_t>(tab - 1)].caption);
    ExpectShownAsModelled(
        view, tab, std::wstring(L"options-") + std::to_wstring(tab) + L"-" + kPictures[tab - 1]);
  }

  // The lists show the model's rows, column by column.
  ClickTab(Tabs(view), 4);
  HWND sites = On(view, L"WSList");
  ASSERT_EQ(Rows(sites), 2);
  EXPECT_EQ(Cell(sites, 0, 0), view.Form().Get(L"WSList").rows[0].texts[0]);
  EXPECT_EQ(Cell(sites, 1, 1), L"Always Kill this Pop-up Window");
  ClickTab(Tabs(view), 5);
  HWND windows = On(view, L"WinList");
  ASSERT_EQ(Rows(windows), 2);
  ClickTab(Tabs(view), 7);
  HWND log = On(view, L"LogList");
  ASSERT_EQ(Rows(log), 2);
  EXPECT_EQ(Cell(log, 0, 3), L"Browser (HTML)");
  EXPECT_EQ(Cell(log, 1, 3), L"Window (non-browser)");

  // Tabs and controls carry their tooltips.
  HWND tips = reinterpret_cast<HWND>(SendMessageW(Tabs(view), TCM_GETTOOLTIPS, 0, 0));
  ASSERT_NE(tips, nullptr);
  for (int tab = 1; tab <= kOptionTabs; ++tab) {
    NMTTDISPINFOW info{};
    info.hdr = {tips, static_cast<UINT_PTR>(tab - 1), static_cast<UINT>(TTN_GETDISPINFOW)};
    SendMessageW(view.Window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_EQ(std::wstring(info.lpszText),
              kOptionTabTable[static_cast<std::size_t>(tab - 1)].tooltip);
  }
  // One tool for each control with a tooltip.
  int withTip = 0;
  for (const Control& c : view.Form().Controls()) {
    if (!c.tooltip.empty() && c.kind != ControlKind::Tab) ++withTip;
  }
  ToolSearch search{view.Window()};
  EnumThreadWindows(GetCurrentThreadId(), &FindTools, reinterpret_cast<LPARAM>(&search));
  EXPECT_GT(withTip, 20);
  EXPECT_EQ(search.tools, withTip);
}

TEST_F(DialogsOnScreen, ApplyAndOkStoreWhatIsCheckedOnScreenAndCloseTheDialog) {
  Process& process = world_.Start();
  const bool resizable = process.settings().HoldResizable();
  DialogView& view = OpenOptions(3);
  HWND apply = On(view, L"Apply");
  EXPECT_FALSE(IsWindowEnabled(apply));
  Press(On(view, L"Always resizable"));
  EXPECT_EQ(view.Form().Get(L"Always resizable").checked, !resizable);
  EXPECT_TRUE(IsWindowEnabled(apply)) << "a change makes Apply available";
  // A choice in a drop-down list: never start by itself, which greys the
  // auto-close box.
  ClickTab(Tabs(view), 1);
  Choose(On(view, L"startupCombo"), 2);
  EXPECT_FALSE(IsWindowEnabled(
      On(view, L"Close Quellix when all instances of Internet Explorer have closed")));
  HWND window = view.Window();
  Press(On(view, L"OK"));
  world_.Pump();
  EXPECT_EQ(process.settings().HoldResizable(), !resizable);
  EXPECT_EQ(process.settings().StartMode(), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(world_.dialogs.View(L"Options"), nullptr);
  EXPECT_EQ(process.ownForms().Get(OwnForm::Options), 0u);

  // It opens again, and its close box unloads it as well.
  DialogView& again = OpenOptions(6);
  EXPECT_NE(again.Window(), window);
  EXPECT_TRUE(IsWindowVisible(again.Panel(6)));
  EXPECT_THAT(again.Unbound(), IsEmpty());
  window = again.Window();
  SendMessageW(window, WM_CLOSE, 0, 0);
  world_.Pump();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(world_.dialogs.View(L"Options"), nullptr);
}

TEST_F(DialogsOnScreen, AWebsiteRuleAddedInItsDialogAppearsInTheList) {
  Process& process = world_.Start();
  DialogView& options = OpenOptions(4);
  Later inside([&] {
    DialogView* editor = world_.dialogs.View(L"WebsiteRule");
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->InModalLoop());
    EXPECT_FALSE(IsWindowEnabled(options.Window())) << "the settings wait for the editor";
    EXPECT_THAT(editor->Unbound(), IsEmpty());
    EXPECT_EQ(Text(editor->Window()), L"Add New Website");
    ExpectShownAsModelled(*editor, 0, L"website-rule");
    Press(editor->ChildFor(L"TipsLink"));
    EXPECT_TRUE(IsWindowVisible(editor->ChildFor(L"Tip1")));
    EXPECT_FALSE(IsWindowVisible(editor->ChildFor(L"DescriptionText")));
    ExpectShownAsModelled(*editor, 0, L"website-rule-tips");
    Press(editor->ChildFor(L"Description of Selected Rule"));
    Choose(editor->ChildFor(L"RuleCombo"), 1);
    EXPECT_EQ(Text(editor->ChildFor(L"DescriptionTitle")), L"Disallow Pop-up Windows");
    SetWindowTextW(editor->ChildFor(L"URLText"), L"  popups.example.test  ");
    Press(editor->ChildFor(L"OK"));
  });
  Press(On(options, L"cmdAddWS"));
  ASSERT_TRUE(inside.Ran());
  world_.Pump();
  EXPECT_EQ(world_.dialogs.View(L"WebsiteRule"), nullptr);
  EXPECT_TRUE(IsWindowEnabled(options.Window()));
  const std::optional<Website> rule = RuleFor(process, L"popups.example.test");
  ASSERT_TRUE(rule.has_value());
  EXPECT_EQ(rule->RuleType, kDisallowPopups);
  HWND list = On(options, L"WSList");
  ASSERT_EQ(Rows(list), 1);
  EXPECT_EQ(Cell(list, 0, 1), L"Disallow Site's Pop-up Windows");
}

TEST_F(DialogsOnScreen, ClosingTheWebsiteEditorKeepsTheRuleItWasEditing) {
  Process& process = world_.Start();
  process.websites().Add(L"http://kept.example/", kAllowPopups, false);
  DialogView& options = OpenOptions(4);
  HWND list = On(options, L"WSList");
  SelectRow(list, 0);
  Later inside([&] {
    DialogView* editor = world_.dialogs.View(L"WebsiteRule");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(editor->Window()), L"Edit Website");
    SetWindowTextW(editor->ChildFor(L"URLText"), L"elsewhere.example");
    SendMessageW(editor->Window(), WM_CLOSE, 0, 0);
  });
  ListNotify(list, NM_DBLCLK);  // a double click on the row edits it
  ASSERT_TRUE(inside.Ran());
  world_.Pump();
  EXPECT_TRUE(RuleFor(process, L"kept.example").has_value());
  EXPECT_FALSE(RuleFor(process, L"elsewhere.example").has_value());
  EXPECT_EQ(Rows(list), 1);
}

TEST_F(DialogsOnScreen, AWindowRuleForOneProgramIsMadeOnScreen) {
  Process& process = world_.Start();
  DialogView& options = OpenOptions(5);
  Later inside([&] {
    DialogView* editor = world_.dialogs.View(L"WindowRule");
    ASSERT_NE(editor, nullptr);
    EXPECT_THAT(editor->Unbound(), IsEmpty());
    EXPECT_EQ(Text(editor->Window()), L"Add New Window Rule");
    EXPECT_THAT(Text(editor->ChildFor(L"ExplanationLabel")), EndsWith(L"Add New Window Rule\""));
    HWND module = editor->ChildFor(L"ModuleText");
    EXPECT_FALSE(IsWindowEnabled(module));
    Press(editor->ChildFor(
        L"This rule applies only to windows of this program or module (advanced):"));
    EXPECT_TRUE(IsWindowEnabled(module));
    SetWindowTextW(module, L"C:\\Tools\\nag.exe");
    SetWindowTextW(editor->ChildFor(L"CaptionText"), L"Please register");
    Choose(editor->ChildFor(L"RuleCombo"), 1);
    ExpectShownAsModelled(*editor, 0, L"window-rule");
    Press(editor->ChildFor(L"help"));
    Press(editor->ChildFor(L"OK"));
  });
  Press(On(options, L"cmdAddWin"));
  ASSERT_TRUE(inside.Ran());
  world_.Pump();
  const WindowGroup* group = process.windows().FindGroup(L"C:\\Tools\\nag.exe");
  ASSERT_NE(group, nullptr);
  const Window* rule = process.windows().FindRule(*group, L"Please register");
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(rule->Status, kCaptionContains);
  ASSERT_FALSE(world_.shell.help.empty());
  EXPECT_THAT(world_.shell.help.back(), EndsWith(L"window_rules.htm"));
  HWND list = On(options, L"WinList");
  ASSERT_EQ(Rows(list), 1);
  EXPECT_EQ(Cell(list, 0, 2), L"Kill (substring match)");
}

TEST_F(DialogsOnScreen, TheDialogsKeysReachTheModelBeforeItsControls) {
  Process& process = world_.Start();
  process.websites().Add(L"http://gone.example/", kAllowPopups, false);
  DialogView& view = OpenOptions(2);
  MSG key{};
  key.message = WM_KEYDOWN;

  key.hwnd = On(view, L"Allow pop-up windows");
  key.wParam = VK_F1;
  EXPECT_TRUE(world_.dialogs.PreTranslate(key));
  ASSERT_FALSE(world_.shell.help.empty());
  EXPECT_THAT(world_.shell.help.back(), EndsWith(L"browser_options.htm"));

  ClickTab(Tabs(view), 9);
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  key.hwnd = Tabs(view);
  key.wParam = VK_TAB;
  EXPECT_TRUE(world_.dialogs.PreTranslate(key));
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(view.Form().SelectedTab(), 1) << "CTRL+TAB after the last tab comes to the first";
  EXPECT_TRUE(IsWindowVisible(view.Panel(1)));

  // DELETE in a text box edits the text, and deletes no rule.
  if (!view.Form().Get(L"Play a sound:").checked) Press(On(view, L"Play a sound:"));
  HWND file = On(view, L"FileNameText");
  ASSERT_TRUE(IsWindowEnabled(file));
  SetWindowTextW(file, L"xcork.wav");
  SendMessageW(file, EM_SETSEL, 0, 0);
  key.hwnd = file;
  key.wParam = VK_DELETE;
  world_.dialogs.PreTranslate(key);
  EXPECT_EQ(Text(file), L"cork.wav");
  EXPECT_EQ(view.Form().Get(L"FileNameText").text, L"cork.wav");
  EXPECT_TRUE(RuleFor(process, L"gone.example").has_value());

  // On the website list it deletes the selected rule.
  ClickTab(Tabs(view), 4);
  HWND list = On(view, L"WSList");
  SelectRow(list, 0);
  key.hwnd = list;
  EXPECT_TRUE(world_.dialogs.PreTranslate(key));
  EXPECT_FALSE(RuleFor(process, L"gone.example").has_value());
  EXPECT_EQ(Rows(list), 0);
}

TEST_F(DialogsOnScreen, TheLogMenuTurnsALoggedPopupIntoAWebsiteRule) {
  Process& process = world_.Start();
  process.popupLog().Add(L"http://news.example/today/", L"http://ads.example/win.html", 1);
  DialogView& view = OpenOptions(7);
  HWND log = On(view, L"LogList");
  ASSERT_EQ(Rows(log), 1);
  EXPECT_EQ(Cell(log, 0, 2), L"today (http://news.example/today)");
  SelectRow(log, 0);
  world_.menus.answer = L"Allow";
  ListNotify(log, NM_RCLICK);
  const std::optional<Website> rule = RuleFor(process, L"news.example/today");
  ASSERT_TRUE(rule.has_value());
  EXPECT_EQ(rule->RuleType, kAllowPopups);
  // The rule shows on the Websites tab at once.
  ClickTab(Tabs(view), 4);
  EXPECT_EQ(Rows(On(view, L"WSList")), 1);
}

TEST_F(DialogsOnScreen, TheNoticeBoxFollowsTheLightBulbBoxAndIsStored) {
  Process& process = world_.Start();
  ASSERT_TRUE(std::get<bool>(process.settings().Get(Option::ShowNotice)));
  DialogView& view = OpenOptions(1);
  HWND bulb = On(view, L"\"Light up\" the light bulb icon in the system tray");
  HWND notice = On(view, L"Show a notice for each blocked pop-up");
  EXPECT_EQ(GetParent(notice), view.Panel(1));
  RECT above{}, box{};
  GetWindowRect(bulb, &above);
  GetWindowRect(notice, &box);
  EXPECT_EQ(box.left, above.left);
  EXPECT_GE(box.top, above.bottom) << "right under the light bulb box";
  EXPECT_EQ(GetWindow(bulb, GW_HWNDNEXT), notice) << "and next in the keyboard order";
  EXPECT_EQ(SendMessageW(notice, BM_GETCHECK, 0, 0), BST_CHECKED);
  Press(notice);
  Press(On(view, L"Apply"));
  EXPECT_FALSE(std::get<bool>(process.settings().Get(Option::ShowNotice)));
}

// The list view's request for a row's info tip, as the list sends it when
// the mouse rests on the row: a buffer that holds the row's text, and the
// buffer's size (LVN_GETINFOTIP).
// https://learn.microsoft.com/windows/win32/controls/lvn-getinfotip
std::wstring InfoTip(HWND list, int row, int size) {
  std::vector<wchar_t> buffer(static_cast<std::size_t>(size) + 1, L'#');
  const std::wstring shown = Cell(list, row, 0);
  const std::size_t n = std::min<std::size_t>(shown.size(), static_cast<std::size_t>(size) - 1);
  std::copy_n(shown.data(), n, buffer.data());
  buffer[n] = L'\0';
  NMLVGETINFOTIPW request{};
  request.hdr = {list, static_cast<UINT_PTR>(GetDlgCtrlID(list)),
                 static_cast<UINT>(LVN_GETINFOTIPW)};
  request.pszText = buffer.data();
  request.cchTextMax = size;
  request.iItem = row;
  SendMessageW(GetParent(list), WM_NOTIFY, request.hdr.idFrom, reinterpret_cast<LPARAM>(&request));
  EXPECT_EQ(buffer.back(), L'#') << "written past the buffer";
  buffer.back() = L'\0';
  return buffer.data();
}

TEST_F(DialogsOnScreen, TheLogShowsWhyEachPopupWasStopped) {
  Process& process = world_.Start();
  const std::wstring why = L"no click on the page before it opened";
  process.popupLog().Add(L"http://news.example/today", L"http://ads.example/win.html", 1, why);
  process.popupLog().Add(L"C:\\Tools\\nag.exe", L"Register now!", 2,
                         L"a window rule: the caption holds \"Register now\"");
  process.popupLog().Add(L"http://old.example/", L"http://ads.example/x.html", 1);
  DialogView& view = OpenOptions(7);
  HWND log = On(view, L"LogList");
  ASSERT_EQ(Rows(log), 3);
  HWND header = reinterpret_cast<HWND>(SendMessageW(log, LVM_GETHEADER, 0, 0));
  ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 5);
  wchar_t title[32] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = title;
  column.cchTextMax = 32;
  SendMessageW(log, LVM_GETCOLUMNW, 4, reinterpret_cast<LPARAM>(&column));
  EXPECT_STREQ(title, L"Why");
  EXPECT_EQ(Cell(log, 0, 4), why);
  EXPECT_EQ(Cell(log, 1, 3), L"Window (non-browser)");
  EXPECT_EQ(Cell(log, 2, 4), L"");

  // The whole reason shows as the row's tip; a row without one keeps what
  // the list offers.
  EXPECT_TRUE(SendMessageW(log, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_INFOTIP);
  EXPECT_EQ(InfoTip(log, 0, INFOTIPSIZE), why);
  EXPECT_EQ(InfoTip(log, 1, INFOTIPSIZE), view.Form().Get(L"LogList").rows[1].tip);
  EXPECT_EQ(InfoTip(log, 2, INFOTIPSIZE), Cell(log, 2, 0));
  EXPECT_EQ(InfoTip(log, 0, 10), why.substr(0, 9)) << "cut to the list's buffer";
  ExpectShownAsModelled(view, 7, L"options-7-log-why");
}

TEST_F(DialogsOnScreen, TheHiddenButtonOpensTheTroubleshootingOptions) {
  world_.store.Put(kAppName, L"Options", L"ExplorerFix", L"True");
  Process& process = world_.Start();
  DialogView& view = OpenOptions(9);
  HWND logo = On(view, L"Logo");
  HWND extra = On(view, L"cmdExtraOptions");
  EXPECT_FALSE(IsWindowVisible(extra));
  SendMessageW(GetParent(logo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(logo), STN_DBLCLK),
               reinterpret_cast<LPARAM>(logo));
  EXPECT_TRUE(IsWindowVisible(extra));
  EXPECT_FALSE(IsWindowVisible(On(view, L"lblCount")));
  ExpectShownAsModelled(view, 9, L"options-9-about-hidden-button");
  Later inside([&] {
    DialogView* dialog = world_.dialogs.View(L"ExtraOptions");
    ASSERT_NE(dialog, nullptr);
    EXPECT_THAT(dialog->Unbound(), IsEmpty());
    ExpectShownAsModelled(*dialog, 0, L"troubleshooting-options");
    HWND explorerFix = dialog->ChildFor(L"Enable ExplorerFix");
    EXPECT_EQ(SendMessageW(explorerFix, BM_GETCHECK, 0, 0), BST_CHECKED);
    Press(dialog->ChildFor(L"Restore Defaults"));
    EXPECT_EQ(SendMessageW(explorerFix, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    Press(dialog->ChildFor(L"Cancel"));
  });
  Press(extra);
  ASSERT_TRUE(inside.Ran());
  world_.Pump();
  EXPECT_EQ(world_.dialogs.View(L"ExtraOptions"), nullptr);
  EXPECT_TRUE(process.settings().ExplorerFix()) << "Cancel stores nothing";
}

TEST_F(DialogsOnScreen, TheTroubleshootingOptionsShownAloneStoreOnOk) {
  Process& process = world_.Start();
  ASSERT_FALSE(process.settings().DisableIPC());
  Later inside([&] {
    DialogView* dialog = world_.dialogs.View(L"ExtraOptions");
    ASSERT_NE(dialog, nullptr);
    Press(dialog->ChildFor(L"Disable IPC procedures"));
    Press(dialog->ChildFor(L"OK"));
  });
  world_.dialogs.ShowExtraOptionsModal();  // returns when the dialog has closed
  ASSERT_TRUE(inside.Ran());
  EXPECT_TRUE(process.settings().DisableIPC());
  EXPECT_EQ(world_.dialogs.View(L"ExtraOptions"), nullptr);
}

}  // namespace
}  // namespace qx::win::testing
