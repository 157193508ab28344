#include "win32/dialogs/DialogView.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <utility>

#include "win32/dialogs/DialogIds.h"
#include "win32/forms/ModalLoop.h"
#include "win32/forms/WindowText.h"
#include "win32/program/Resources.h"

namespace qx::win {
namespace {

constexpr UINT_PTR kSubclassId = 0x51584456;
constexpr UINT_PTR kRefreshTimer = 0x5158;
// The model changes on its own too (a pop-up killed while the dialog is
// open adds a log row): the view looks again this often.
constexpr UINT kRefreshMs = 250;

struct TemplateOf {
  std::wstring_view className;
  int id;
};
constexpr std::array<TemplateOf, 4> kTemplates = {{
    {L"QuellixOptions", QX_DLG_OPTIONS},
    {L"QuellixWebsiteRule", QX_DLG_WEBSITE_RULE},
    {L"QuellixWindowRule", QX_DLG_WINDOW_RULE},
    {L"QuellixExtraOptions", QX_DLG_EXTRA_OPTIONS},
}};

// Controls the code finds by identifier; the rest by caption.
struct NamedId {
  int id;
  std::wstring_view name;
};
constexpr std::array<NamedId, 24> kNamed = {{
    {QX_ID_TABS, L"tbsOptions"},
    {QX_ID_FILE_NAME, L"FileNameText"},
    {QX_ID_STARTUP, L"startupCombo"},
    {QX_ID_WS_LIST, L"WSList"},
    {QX_ID_WIN_LIST, L"WinList"},
    {QX_ID_HK_KILL, L"HKComboKill"},
    {QX_ID_HK_BAN, L"HKComboBan"},
    {QX_ID_HK_NORMALIZE, L"HKComboNormalize"},
    {QX_ID_HK_OFF, L"HKComboOff"},
    {QX_ID_LOG_LIST, L"LogList"},
    {QX_ID_DELETE_LOGS, L"cmdDeleteLogs"},
    {QX_ID_COUNT, L"lblCount"},
    {QX_ID_LOGO, L"Logo"},
    {QX_ID_EXTRA, L"cmdExtraOptions"},
    {QX_ID_URL, L"URLText"},
    {QX_ID_RULE, L"RuleCombo"},
    {QX_ID_DESC_FRAME, L"DescriptionFrame"},
    {QX_ID_DESC_TITLE, L"DescriptionTitle"},
    {QX_ID_DESC_TEXT, L"DescriptionText"},
    {QX_ID_TIPS_FRAME, L"TipsFrame"},
    {QX_ID_TIPS_LINK, L"TipsLink"},
    {QX_ID_CAPTION, L"CaptionText"},
    {QX_ID_MODULE, L"ModuleText"},
    {QX_ID_EXPLANATION, L"ExplanationLabel"},
}};

// A double click on a rule list edits the row, as its button does.
constexpr std::array<std::pair<std::wstring_view, std::wstring_view>, 2> kEditOnDoubleClick = {{
    {L"WSList", L"cmdEditWS"},
    {L"WinList", L"cmdEditWin"},
}};

std::wstring_view NameOf(int id) {
  for (const NamedId& n : kNamed) {
    if (n.id == id) return n.name;
  }
  return {};
}

bool Decoration(int id) {
  return id == 0xFFFF || id == -1 || id == QX_ID_BULB;
}

void SetTextIfDifferent(HWND window, const std::wstring& text) {
  if (WindowText(window) != text) SetWindowTextW(window, text.c_str());
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

bool HasStyle(HWND window, LONG_PTR style) {
  return (GetWindowLongPtrW(window, GWL_STYLE) & style) == style;
}

bool SameRows(const std::vector<ListRow>& a, const std::vector<ListRow>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].key != b[i].key || a[i].texts != b[i].texts || a[i].tip != b[i].tip) return false;
  }
  return true;
}

// Shares of the width by column count: the URL and caption columns get the
// most; the log's reason column about as much as its source.
constexpr int kMostColumns = 5;
constexpr int kShares[kMostColumns + 1][kMostColumns] = {{100, 0, 0, 0, 0},   {100, 0, 0, 0, 0},
                                                         {56, 44, 0, 0, 0},   {34, 38, 28, 0, 0},
                                                         {16, 32, 30, 22, 0}, {12, 24, 29, 14, 21}};

int ColumnShare(std::size_t columns, std::size_t i) {
  if (columns <= kMostColumns) return kShares[columns][i];
  return 100 / static_cast<int>(columns);
}

// The list's columns, and the info tips of its rows (LVS_EX_INFOTIP, comctl32
// 4.71 and later: every Windows from XP on).
// https://learn.microsoft.com/windows/win32/controls/extended-list-view-styles
void AddColumns(HWND list, const std::vector<std::wstring>& columns) {
  const LPARAM styles = LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
  RECT client{};
  GetClientRect(list, &client);
  const int width = client.right - GetSystemMetrics(SM_CXVSCROLL) - 4;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(columns[i].c_str());
    column.cx = width * ColumnShare(columns.size(), i) / 100;
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
}

// Puts a row's tip into the list's buffer in place of the item text the
// list offers, cut to the buffer without splitting a surrogate pair.
// https://learn.microsoft.com/windows/win32/api/commctrl/ns-commctrl-nmlvgetinfotipw
void FillInfoTip(NMLVGETINFOTIPW& request, const std::wstring& tip) {
  if (tip.empty() || request.pszText == nullptr || request.cchTextMax <= 0) return;
  std::size_t n =
      std::min<std::size_t>(tip.size(), static_cast<std::size_t>(request.cchTextMax) - 1);
  if (n < tip.size() && n > 0 && tip[n - 1] >= 0xD800 && tip[n - 1] <= 0xDBFF) --n;
  std::copy_n(tip.data(), n, request.pszText);
  request.pszText[n] = L'\0';
}

}  // namespace

HWND CreateDialogWindow(std::wstring_view className) {
  for (const TemplateOf& t : kTemplates) {
    if (t.className != className) continue;
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(t.id), nullptr,
                              &PlainDialogProc, 0);
  }
  return nullptr;
}

DialogView::DialogView(HWND window, FormModel& form, std::function<void()> acted)
    : window_(window), form_(form), acted_(std::move(acted)) {
  SetWindowSubclass(window_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  Bind();
  Decorate();
  Refresh();
  SetTimer(window_, kRefreshTimer, kRefreshMs, nullptr);
}

DialogView::~DialogView() {
  for (HICON icon : icons_)
    DestroyIcon(icon);
  if (window_ != nullptr && IsWindow(window_)) {
    KillTimer(window_, kRefreshTimer);
    RemoveWindowSubclass(window_, SubclassProc, kSubclassId);
    for (HWND panel : panels_)
      RemoveWindowSubclass(panel, SubclassProc, kSubclassId);
  }
  if (tooltip_ != nullptr && IsWindow(tooltip_)) DestroyWindow(tooltip_);
  if (linkFont_ != nullptr) DeleteObject(linkFont_);
  if (titleFont_ != nullptr) DeleteObject(titleFont_);
}

HWND DialogView::Panel(int tab) const {
  if (tab < 1 || tab > static_cast<int>(panels_.size())) return nullptr;
  return panels_[static_cast<std::size_t>(tab - 1)];
}

HWND DialogView::ChildFor(std::wstring_view nameOrCaption) const {
  const Control* control = form_.Find(nameOrCaption);
  for (const Binding& b : bindings_) {
    if (b.control == control) return b.window;
  }
  return nullptr;
}

void DialogView::Bind() {
  // Only the settings dialog has a tab strip, and a panel for each tab.
  tabs_ = GetDlgItem(window_, QX_ID_TABS);
  if (tabs_ != nullptr) {
    int index = 0;
    for (const Control& c : form_.Controls()) {
      if (c.kind != ControlKind::Tab) continue;
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<wchar_t*>(c.caption.c_str());
      SendMessageW(tabs_, TCM_INSERTITEMW, static_cast<WPARAM>(index++),
                   reinterpret_cast<LPARAM>(&item));
    }
    // The panels fill the tab strip's display area.
    RECT area{};
    GetWindowRect(tabs_, &area);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&area), 2);
    SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    for (int tab = 1; tab <= index; ++tab) {
      HWND panel =
          CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(QX_DLG_PANEL + tab),
                             window_, &PlainDialogProc, 0);
      if (panel == nullptr) {
        unbound_.push_back(L"panel " + std::to_wstring(tab) + L" could not be made");
        panels_.push_back(nullptr);
        continue;
      }
      SetWindowPos(panel, tabs_, area.left, area.top, area.right - area.left,
                   area.bottom - area.top, SWP_NOACTIVATE);
      SetWindowSubclass(panel, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
      panels_.push_back(panel);
    }
  }
  BindChildren(window_, 0);
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    if (panels_[i] != nullptr) BindChildren(panels_[i], static_cast<int>(i + 1));
  }
  for (const Control& c : form_.Controls()) {
    const bool bound = std::any_of(bindings_.begin(), bindings_.end(),
                                   [&](const Binding& b) { return b.control == &c; });
    if (!bound) {
      unbound_.push_back(L"no window shows \"" + c.Key() + L"\" (tab " + std::to_wstring(c.tab) +
                         L")");
    }
  }
  shown_.resize(bindings_.size());
}

void DialogView::BindChildren(HWND parent, int tab) {
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (std::find(panels_.begin(), panels_.end(), child) != panels_.end()) continue;
    const int id = GetDlgCtrlID(child);
    if (Decoration(id)) continue;
    const Control* found = nullptr;
    if (child == tabs_) {
      // The strip shows the strip and each of its tabs.
      for (const Control& c : form_.Controls()) {
        if (c.kind == ControlKind::Tab) bindings_.push_back({&c, child, 0});
      }
    }
    const std::wstring_view name = NameOf(id);
    const std::wstring text = WindowText(child);
    for (const Control& c : form_.Controls()) {
      if (c.kind == ControlKind::Tab) continue;
      const bool taken = std::any_of(bindings_.begin(), bindings_.end(),
                                     [&](const Binding& b) { return b.control == &c; });
      if (taken) continue;
      const bool match = name.empty() ? (c.tab == tab && c.caption == text) : c.name == name;
      if (match) {
        found = &c;
        break;
      }
    }
    if (found == nullptr) {
      unbound_.push_back(L"the dialog's control \"" + (name.empty() ? text : std::wstring(name)) +
                         L"\" (tab " + std::to_wstring(tab) + L") matches no control");
      continue;
    }
    bindings_.push_back({found, child, tab});
  }
}

void DialogView::Decorate() {
  MakeFonts();
  for (HWND panel : panels_) {
    if (panel == nullptr) continue;
    SetIcon(GetDlgItem(panel, QX_ID_BULB), QX_ICON_ALERT, 32);
    SetIcon(GetDlgItem(panel, QX_ID_LOGO), QX_ICON_PROGRAM, 48);
    if (HWND title = GetDlgItem(panel, QX_ID_TITLE); title != nullptr && titleFont_ != nullptr) {
      SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
    }
  }
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  if (tooltip_ != nullptr) SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 360);
  for (const Binding& b : bindings_) {
    const Control& c = *b.control;
    if (c.kind == ControlKind::Link && linkFont_ != nullptr) {
      SendMessageW(b.window, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), FALSE);
    }
    if (c.kind == ControlKind::ListView) AddColumns(b.window, c.columns);
    if (c.kind != ControlKind::Tab) AddTooltip(b);
  }
}

// The links' and the titles' fonts: the dialog's own, underlined or bold
// and twice the size.
void DialogView::MakeFonts() {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
  LOGFONTW face{};
  if (font == nullptr || GetObjectW(font, sizeof face, &face) == 0) return;
  LOGFONTW link = face;
  link.lfUnderline = TRUE;
  linkFont_ = CreateFontIndirectW(&link);
  LOGFONTW title = face;
  title.lfHeight = face.lfHeight * 2;
  title.lfWeight = FW_BOLD;
  titleFont_ = CreateFontIndirectW(&title);
}

void DialogView::SetIcon(HWND control, int icon, int size) {
  if (control == nullptr) return;
  HICON loaded = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(icon),
                                               IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  if (loaded == nullptr) return;  // a build without the pictures shows none
  icons_.push_back(loaded);
  SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(loaded), 0);
}

void DialogView::AddTooltip(const Binding& b) {
  if (tooltip_ == nullptr || b.control->tooltip.empty()) return;
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(b.window);
  tool.uId = reinterpret_cast<UINT_PTR>(b.window);
  tool.lpszText = const_cast<wchar_t*>(b.control->tooltip.c_str());
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

const DialogView::Binding* DialogView::BindingOf(HWND child) const {
  for (const Binding& b : bindings_) {
    if (b.window == child && b.control->kind != ControlKind::Tab) return &b;
  }
  return nullptr;
}

bool DialogView::Ended() const {
  return window_ == nullptr || !IsWindow(window_) || !form_.Loaded();
}

// --- Model to screen --------------------------------------------------------

void DialogView::Refresh() {
  if (Ended() || refreshing_) return;
  refreshing_ = true;
  SetTextIfDifferent(window_, form_.Caption());
  for (std::size_t i = 0; i < bindings_.size(); ++i) {
    RefreshControl(bindings_[i], shown_[i]);
  }
  ShowPanel();
  refreshing_ = false;
}

void DialogView::RefreshControl(const Binding& b, Shown& shown) {
  const Control& c = *b.control;
  HWND w = b.window;
  switch (c.kind) {
    case ControlKind::Tab:
      return;
    case ControlKind::TabStrip:
      if (SendMessageW(w, TCM_GETCURSEL, 0, 0) != form_.SelectedTab() - 1) {
        SendMessageW(w, TCM_SETCURSEL, static_cast<WPARAM>(form_.SelectedTab() - 1), 0);
      }
      break;
    case ControlKind::TextBox:
      SetTextIfDifferent(w, c.text);
      break;
    case ControlKind::ComboBox:
      if (shown.items != c.items) {
        SendMessageW(w, CB_RESETCONTENT, 0, 0);
        for (const std::wstring& item : c.items) {
          SendMessageW(w, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        }
        shown.items = c.items;
      }
      if (SendMessageW(w, CB_GETCURSEL, 0, 0) != c.position) {
        SendMessageW(w, CB_SETCURSEL, static_cast<WPARAM>(c.position), 0);
      }
      break;
    case ControlKind::ListView:
      RefreshList(b, shown);
      break;
    case ControlKind::CheckBox:
    case ControlKind::OptionButton: {
      SetTextIfDifferent(w, c.caption);
      const LRESULT want = c.checked ? BST_CHECKED : BST_UNCHECKED;
      if (SendMessageW(w, BM_GETCHECK, 0, 0) != want) SendMessageW(w, BM_SETCHECK, want, 0);
      break;
    }
    case ControlKind::Picture:
      break;
    default:
      SetTextIfDifferent(w, c.caption);
      break;
  }
  if ((IsWindowEnabled(w) != FALSE) != c.enabled) EnableWindow(w, c.enabled ? TRUE : FALSE);
  if (HasStyle(w, WS_VISIBLE) != c.visible) ShowWindow(w, c.visible ? SW_SHOWNA : SW_HIDE);
}

void DialogView::RefreshList(const Binding& b, Shown& shown) {
  const Control& c = *b.control;
  HWND w = b.window;
  if (!SameRows(shown.rows, c.rows)) {
    SendMessageW(w, WM_SETREDRAW, FALSE, 0);
    SendMessageW(w, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
      const ListRow& row = c.rows[i];
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = const_cast<wchar_t*>(row.texts.empty() ? L"" : row.texts[0].c_str());
      SendMessageW(w, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      for (std::size_t j = 1; j < row.texts.size(); ++j) {
        LVITEMW sub{};
        sub.iSubItem = static_cast<int>(j);
        sub.pszText = const_cast<wchar_t*>(row.texts[j].c_str());
        SendMessageW(w, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&sub));
      }
    }
    SendMessageW(w, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(w, nullptr, TRUE);
    shown.rows = c.rows;
  }
  for (std::size_t i = 0; i < c.rows.size(); ++i) {
    const bool have = SendMessageW(w, LVM_GETITEMSTATE, i, LVIS_SELECTED) != 0;
    if (have == c.rows[i].selected) continue;
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = c.rows[i].selected ? LVIS_SELECTED : 0;
    SendMessageW(w, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
  }
}

void DialogView::ShowPanel() {
  const int tab = form_.SelectedTab();
  if (tab == shownTab_ || panels_.empty()) return;
  shownTab_ = tab;
  // The chosen panel shows and takes input; the others are out of sight
  // and out of the dialog's keyboard order.
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    HWND panel = panels_[i];
    if (panel == nullptr) continue;
    const bool shown = static_cast<int>(i + 1) == tab;
    EnableWindow(panel, shown ? TRUE : FALSE);
    ShowWindow(panel, shown ? SW_SHOWNA : SW_HIDE);
  }
}

// --- Screen to model --------------------------------------------------------

void DialogView::SyncTexts() {
  for (const Binding& b : bindings_) {
    const Control& c = *b.control;
    if (c.kind != ControlKind::TextBox || !c.enabled || !c.visible) continue;
    const std::wstring text = WindowText(b.window);
    if (text == c.text) continue;
    try {
      form_.Type(c.Key(), text);
    } catch (const UiError&) {
    }
  }
}

void DialogView::Forward(const std::function<void()>& action) {
  ++busy_;
  try {
    action();
  } catch (const UiError&) {
    // The model refused (a control it disabled meanwhile): the view shows
    // the model's state again below.
  }
  // The host's pass refreshes every view, this one included, also after a
  // dialog the action opened has closed.
  if (acted_) {
    acted_();
  } else if (!Ended()) {
    Refresh();
  }
  --busy_;
}

void DialogView::Act(const Binding& b, UINT code) {
  const Control& c = *b.control;
  const std::wstring key = c.Key();
  switch (c.kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::Link:
      if (code != BN_CLICKED) return;  // STN_CLICKED for links has the same code
      SyncTexts();
      Forward([&] { form_.Click(key); });
      return;
    case ControlKind::Picture:
      if (code == STN_DBLCLK) Forward([&] { form_.DblClick(key); });
      return;
    case ControlKind::TextBox: {
      if (code != EN_CHANGE && code != EN_KILLFOCUS) return;
      const std::wstring text = WindowText(b.window);
      if (text != c.text) Forward([&] { form_.Type(key, text); });
      return;
    }
    case ControlKind::ComboBox:
      if (code != CBN_SELCHANGE) return;
      Forward(
          [&] { form_.Pick(key, static_cast<int>(SendMessageW(b.window, CB_GETCURSEL, 0, 0))); });
      return;
    default:
      return;
  }
}

void DialogView::ListChanged(const Binding& b) {
  std::vector<int> rows;
  int i = -1;
  while ((i = static_cast<int>(SendMessageW(b.window, LVM_GETNEXTITEM, static_cast<WPARAM>(i),
                                            LVNI_SELECTED))) >= 0) {
    rows.push_back(i + 1);
  }
  if (rows == b.control->SelectedRows()) return;
  const std::wstring key = b.control->Key();
  Forward([&] { form_.SelectRows(key, rows); });
}

LRESULT DialogView::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              bool& handled) {
  handled = false;
  switch (message) {
    case WM_COMMAND:
      if (refreshing_ || Ended()) break;
      return OnCommand(wParam, lParam, handled);
    case WM_NOTIFY:
      if (refreshing_ || Ended()) break;
      return OnNotify(lParam, handled);
    case WM_CTLCOLORSTATIC:
      return OnLinkColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), handled);
    case WM_SETCURSOR:
      if (!IsLink(reinterpret_cast<HWND>(wParam))) break;
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      handled = true;
      return TRUE;
    case WM_TIMER:
      if (wParam != kRefreshTimer) break;
      if (busy_ == 0 || modal_) Refresh();
      handled = true;
      return 0;
    case WM_CLOSE:
      if (window != window_) break;
      handled = true;
      Forward([&] { form_.CloseBox(); });
      return 0;
    case WM_NCDESTROY:
      Forget(window);
      break;
    default:
      break;
  }
  return 0;
}

LRESULT DialogView::OnCommand(WPARAM wParam, LPARAM lParam, bool& handled) {
  HWND from = reinterpret_cast<HWND>(lParam);
  const int id = LOWORD(wParam);
  // ENTER and ESCAPE come as commands without a window.
  if (from == nullptr && (id == IDOK || id == IDCANCEL)) from = GetDlgItem(window_, id);
  if (const Binding* b = BindingOf(from); b != nullptr) {
    handled = true;
    Act(*b, HIWORD(wParam));
  } else if (id == IDCANCEL) {
    handled = true;
    Forward([&] { form_.CloseBox(); });
  }
  return 0;
}

LRESULT DialogView::OnNotify(LPARAM lParam, bool& handled) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (tabs_ != nullptr &&
      header->hwndFrom == reinterpret_cast<HWND>(SendMessageW(tabs_, TCM_GETTOOLTIPS, 0, 0))) {
    if (header->code == TTN_GETDISPINFOW) {
      TabTip(*reinterpret_cast<NMTTDISPINFOW*>(lParam));
      handled = true;
    }
    return 0;
  }
  const Binding* b = BindingOf(header->hwndFrom);
  if (b == nullptr) return 0;
  const Control& c = *b->control;
  if (c.kind == ControlKind::TabStrip && header->code == TCN_SELCHANGE) {
    const int tab = static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)) + 1;
    Forward([&] { form_.Pick(c.Key(), tab); });
    handled = true;
  } else if (c.kind == ControlKind::ListView) {
    OnListNotify(*b, *header);
  }
  return 0;
}

// The tab strip's tooltips: the tab's own, in the model's order of tabs.
void DialogView::TabTip(NMTTDISPINFOW& info) {
  int index = 0;
  for (const Control& c : form_.Controls()) {
    if (c.kind != ControlKind::Tab) continue;
    if (index++ == static_cast<int>(info.hdr.idFrom)) {
      info.lpszText = const_cast<wchar_t*>(c.tooltip.c_str());
    }
  }
}

void DialogView::OnListNotify(const Binding& b, NMHDR& header) {
  const Control& c = *b.control;
  if (header.code == LVN_ITEMCHANGED) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uChanged & LVIF_STATE) != 0 &&
        ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) != 0) {
      ListChanged(b);
    }
  } else if (header.code == NM_RCLICK) {
    ListChanged(b);
    Forward([&] { form_.RowMenu(c.Key()); });
  } else if (header.code == LVN_GETINFOTIPW) {
    auto& request = reinterpret_cast<NMLVGETINFOTIPW&>(header);
    if (request.iItem >= 0 && static_cast<std::size_t>(request.iItem) < c.rows.size()) {
      FillInfoTip(request, c.rows[static_cast<std::size_t>(request.iItem)].tip);
    }
  } else if (header.code == NM_DBLCLK) {
    for (const auto& [list, button] : kEditOnDoubleClick) {
      if (c.name == list && c.FirstSelected() != nullptr) {
        Forward([&, button = button] { form_.Click(button); });
      }
    }
  }
}

bool DialogView::IsLink(HWND child) const {
  const Binding* b = BindingOf(child);
  return b != nullptr && b->control->kind == ControlKind::Link;
}

// Links are blue (grey while disabled) on the dialog's face.
LRESULT DialogView::OnLinkColour(HDC dc, HWND child, bool& handled) {
  if (!IsLink(child)) return 0;
  SetTextColor(dc, IsWindowEnabled(child) ? RGB(0, 0, 204) : GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  handled = true;
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

// A window of the view is gone: the dialog itself or one of its panels.
void DialogView::Forget(HWND window) {
  RemoveWindowSubclass(window, SubclassProc, kSubclassId);
  if (window == window_) {
    window_ = nullptr;
  } else {
    std::replace(panels_.begin(), panels_.end(), window, static_cast<HWND>(nullptr));
  }
}

LRESULT CALLBACK DialogView::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR /*id*/, DWORD_PTR self) {
  bool handled = false;
  LRESULT result = 0;
  // Nothing may unwind through the system's frames.
  try {
    result =
        reinterpret_cast<DialogView*>(self)->OnMessage(window, message, wParam, lParam, handled);
  } catch (...) {
    handled = false;
  }
  return handled ? result : DefSubclassProc(window, message, wParam, lParam);
}

// --- Showing ----------------------------------------------------------------

namespace {

void CentreOver(HWND window, HWND owner) {
  RECT area{};
  if (owner != nullptr && IsWindowVisible(owner)) {
    GetWindowRect(owner, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT frame{};
  GetWindowRect(window, &frame);
  const int w = frame.right - frame.left;
  const int h = frame.bottom - frame.top;
  SetWindowPos(window, nullptr, std::max<int>(0, area.left + ((area.right - area.left) - w) / 2),
               std::max<int>(0, area.top + ((area.bottom - area.top) - h) / 2), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void DialogView::Show() {
  if (Ended()) return;
  Refresh();
  if (!IsWindowVisible(window_)) {
    CentreOver(window_, nullptr);
    ShowWindow(window_, SW_SHOW);
  } else if (IsIconic(window_)) {
    ShowWindow(window_, SW_RESTORE);
  }
  SetForegroundWindow(window_);
}

void DialogView::RunModal(HWND owner, const std::function<bool(MSG&)>& pretranslate) {
  if (Ended()) return;
  modal_ = true;
  ++busy_;
  if (owner != nullptr)
    SetWindowLongPtrW(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  CentreOver(window_, owner);
  const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  Refresh();
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  // The first text box has the focus with its text selected, so that
  // typing replaces the suggested text.
  for (const Binding& b : bindings_) {
    if (b.control->kind != ControlKind::TextBox || !b.control->visible) continue;
    SetFocus(b.window);
    SendMessageW(b.window, EM_SETSEL, 0, -1);
    break;
  }
  RunModalLoop([this] { return Ended() || !form_.Shown(); }, pretranslate);
  if (window_ != nullptr && IsWindow(window_)) ShowWindow(window_, SW_HIDE);
  if (ownerWasEnabled && IsWindow(owner)) {
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
  }
  --busy_;
  modal_ = false;
}

bool DialogView::PreTranslate(MSG& message) {
  if (Ended()) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  if (message.message == WM_KEYDOWN && form_.SelectedTab() > 0) {
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    std::wstring_view key;
    if (message.wParam == VK_F1) key = L"f1";
    if (message.wParam == VK_TAB && ctrl) key = L"ctrl+tab";
    if (message.wParam == VK_DELETE && !ctrl) {
      // A text box keeps its own DELETE key.
      wchar_t cls[16] = {};
      GetClassNameW(message.hwnd, cls, 16);
      if (lstrcmpiW(cls, L"Edit") != 0) key = L"delete";
    }
    if (!key.empty()) {
      Forward([&] { form_.Key(key); });
      return true;
    }
  }
  return IsDialogMessageW(window_, &message) != FALSE;
}

}  // namespace qx::win
