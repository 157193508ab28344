#include "win32/forms/FormView.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "win32/forms/ModalLoop.h"
#include "win32/forms/WindowText.h"

namespace qx::win {
namespace {

constexpr UINT_PTR kSubclassId = 0x51584656;  // one subclass per window
constexpr int kFirstChildId = 1000;
constexpr int kMargin = 12;
constexpr int kGap = 8;
constexpr int kClientWidth = 380;
constexpr int kButtonWidth = 88;  // at least
constexpr int kButtonPadding = 12;
constexpr int kButtonHeight = 26;
constexpr int kTextHeight = 22;
constexpr int kCheckHeight = 20;

bool IsButtonRow(const Control& control) {
  return control.kind == ControlKind::Button || control.kind == ControlKind::Link;
}

}  // namespace

HWND CreateFormWindow(std::wstring_view caption) {
  static constexpr wchar_t kClass[] = L"QuellixForm";
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(instance, kClass, &existing)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
  }
  return CreateWindowExW(WS_EX_DLGMODALFRAME, kClass, std::wstring(caption).c_str(),
                         WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 100, 100, nullptr, nullptr,
                         instance, nullptr);
}

FormView::FormView(HWND window, FormModel& form)
    : window_(window), form_(form), font_(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))) {
  SetWindowSubclass(window_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  // Dialog-like frame whatever class made the window.
  LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
  style = (style & ~(WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) | WS_CAPTION | WS_SYSMENU;
  SetWindowLongPtrW(window_, GWL_STYLE, style);
  SetWindowTextW(window_, form_.Caption().c_str());

  int id = kFirstChildId;
  for (const Control& control : form_.Controls()) {
    const wchar_t* cls = L"STATIC";
    DWORD childStyle = WS_CHILD | WS_TABSTOP;
    DWORD exStyle = 0;
    switch (control.kind) {
      case ControlKind::Button:
      case ControlKind::Link:
        cls = L"BUTTON";
        childStyle |= BS_PUSHBUTTON;
        break;
      case ControlKind::CheckBox:
        cls = L"BUTTON";
        childStyle |= BS_AUTOCHECKBOX;
        break;
      case ControlKind::OptionButton:
        cls = L"BUTTON";
        childStyle |= BS_AUTORADIOBUTTON;
        break;
      case ControlKind::TextBox:
        cls = L"EDIT";
        childStyle |= ES_AUTOHSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::ComboBox:
        cls = L"COMBOBOX";
        childStyle |= CBS_DROPDOWNLIST | WS_VSCROLL;
        break;
      default:
        // Labels, frames and pictures only show their caption here.
        childStyle &= ~WS_TABSTOP;
        break;
    }
    HWND child = CreateWindowExW(exStyle, cls, L"", childStyle, 0, 0, 10, 10, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
    if (child == nullptr) continue;  // the control is missing from the view, the form goes on
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    children_.push_back({&control, child, id++});
    if (control.kind == ControlKind::ComboBox) {
      for (const std::wstring& item : control.items) {
        SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
      }
    }
  }
  Refresh();
}

FormView::~FormView() {
  if (!IsWindow(window_)) return;
  RemoveWindowSubclass(window_, SubclassProc, kSubclassId);
  for (const Child& child : children_)
    DestroyWindow(child.window);
}

HWND FormView::ChildFor(std::wstring_view nameOrCaption) const {
  const Control* control = form_.Find(nameOrCaption);
  for (const Child& child : children_) {
    if (child.control == control) return child.window;
  }
  return nullptr;
}

void FormView::MaskText(std::wstring_view nameOrCaption) {
  HWND edit = ChildFor(nameOrCaption);
  if (edit == nullptr) return;
  SendMessageW(edit, EM_SETPASSWORDCHAR, 0x25CF, 0);
  InvalidateRect(edit, nullptr, TRUE);
}

void FormView::Refresh() {
  refreshing_ = true;
  for (const Child& child : children_) {
    const Control& control = *child.control;
    std::wstring shown = control.kind == ControlKind::TextBox ? control.text : control.caption;
    // Static controls would take "&" as an access key only where the model
    // means one; labels show their text as it is.
    if (shown != WindowText(child.window)) SetWindowTextW(child.window, shown.c_str());
    if (control.kind == ControlKind::CheckBox || control.kind == ControlKind::OptionButton) {
      SendMessageW(child.window, BM_SETCHECK, control.checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    if (control.kind == ControlKind::ComboBox) {
      SendMessageW(child.window, CB_SETCURSEL, static_cast<WPARAM>(control.position), 0);
    }
    EnableWindow(child.window, control.enabled ? TRUE : FALSE);
    ShowWindow(child.window, control.visible ? SW_SHOWNA : SW_HIDE);
  }
  refreshing_ = false;
  Layout();
}

void FormView::Layout() {
  HDC dc = GetDC(window_);
  HGDIOBJ oldFont = SelectObject(dc, font_);
  // The buttons first: each as wide as its text needs, and the form at
  // least as wide as their row.
  struct Button {
    HWND window;
    int width;
  };
  std::vector<Button> buttons;
  int row = 0;
  for (const Child& child : children_) {
    const Control& control = *child.control;
    if (!control.visible || !IsButtonRow(control)) continue;
    const std::wstring shown = control.ShownCaption();
    SIZE text{};
    GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &text);
    const int width = std::max<int>(kButtonWidth, text.cx + 2 * kButtonPadding);
    buttons.push_back({child.window, width});
    row += width + (row > 0 ? kGap : 0);
  }
  const int clientWidth = std::max(kClientWidth, row + 2 * kMargin);

  int y = kMargin;
  const int width = clientWidth - 2 * kMargin;
  for (const Child& child : children_) {
    const Control& control = *child.control;
    if (!control.visible || IsButtonRow(control)) continue;
    int height = kTextHeight;
    if (control.kind == ControlKind::CheckBox || control.kind == ControlKind::OptionButton) {
      height = kCheckHeight;
    } else if (control.kind != ControlKind::TextBox && control.kind != ControlKind::ComboBox) {
      RECT text{0, 0, width, 0};
      DrawTextW(dc, control.caption.c_str(), static_cast<int>(control.caption.size()), &text,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
      height = std::max<int>(text.bottom - text.top, 14);
    }
    MoveWindow(child.window, kMargin, y, width,
               control.kind == ControlKind::ComboBox ? 200 : height, FALSE);
    y += height + kGap;
  }
  SelectObject(dc, oldFont);
  ReleaseDC(window_, dc);

  // The buttons in one row at the bottom, right-aligned, as dialogs have them.
  y += kGap;
  int x = clientWidth - kMargin - row;
  for (const Button& button : buttons) {
    MoveWindow(button.window, x, y, button.width, kButtonHeight, FALSE);
    x += button.width + kGap;
  }
  const int clientHeight = y + (buttons.empty() ? 0 : kButtonHeight) + kMargin;

  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window_, nullptr, TRUE);
}

bool FormView::Ended() const {
  return !form_.Loaded() || !form_.Shown() || !IsWindow(window_);
}

void FormView::RunModal(HWND owner) {
  // Centred on the work area, like a message box.
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  RECT frame{};
  GetWindowRect(window_, &frame);
  SetWindowPos(window_, HWND_TOPMOST,
               area.left + ((area.right - area.left) - (frame.right - frame.left)) / 2,
               area.top + ((area.bottom - area.top) - (frame.bottom - frame.top)) / 2, 0, 0,
               SWP_NOSIZE);
  const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  // The first text box has the focus with its text selected, so that
  // typing replaces a suggested text.
  for (const Child& child : children_) {
    if (child.control->kind != ControlKind::TextBox || !child.control->visible) continue;
    SetFocus(child.window);
    SendMessageW(child.window, EM_SETSEL, 0, -1);
    break;
  }

  RunModalLoop([this] { return Ended(); },
               [this](MSG& message) { return IsDialogMessageW(window_, &message) != FALSE; });
  if (IsWindow(window_)) ShowWindow(window_, SW_HIDE);
  if (ownerWasEnabled && IsWindow(owner)) EnableWindow(owner, TRUE);
}

void FormView::SyncTexts() {
  for (const Child& child : children_) {
    const Control& control = *child.control;
    if (control.kind != ControlKind::TextBox || !control.enabled || !control.visible) continue;
    const std::wstring text = WindowText(child.window);
    if (text == control.text) continue;
    try {
      form_.Type(control.Key(), text);
    } catch (const UiError&) {
    }
  }
}

void FormView::Act(const Child& child, WORD notification) {
  const Control& control = *child.control;
  const std::wstring key = control.Key();
  const bool action = notification == BN_CLICKED || notification == EN_CHANGE ||
                      notification == EN_KILLFOCUS || notification == CBN_SELCHANGE;
  // Other notifications (an edit's update before it paints, focus) change
  // nothing in the model; refreshing on them would undo a text being typed.
  if (!action) return;
  if (notification == BN_CLICKED) SyncTexts();
  try {
    switch (control.kind) {
      case ControlKind::Button:
      case ControlKind::Link:
      case ControlKind::CheckBox:
      case ControlKind::OptionButton:
        if (notification == BN_CLICKED) form_.Click(key);
        break;
      case ControlKind::TextBox:
        if (notification == EN_CHANGE || notification == EN_KILLFOCUS) {
          const std::wstring text = WindowText(child.window);
          if (text != control.text) form_.Type(key, text);
        }
        break;
      case ControlKind::ComboBox:
        if (notification == CBN_SELCHANGE) {
          form_.Pick(key, static_cast<int>(SendMessageW(child.window, CB_GETCURSEL, 0, 0)));
        }
        break;
      default:
        break;
    }
  } catch (const UiError&) {
    // The model refused the action (a control it has disabled meanwhile):
    // the view shows the model's state again.
  }
  if (!Ended()) Refresh();
}

LRESULT FormView::OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, bool& handled) {
  handled = false;
  switch (message) {
    case WM_COMMAND: {
      if (refreshing_) break;
      const int id = LOWORD(wParam);
      if (id == IDOK || id == IDCANCEL) {
        // Enter and Escape press the default and the cancelling button.
        const wchar_t* caption = id == IDOK ? L"OK" : L"Cancel";
        SyncTexts();
        if (form_.Find(caption) != nullptr) {
          try {
            form_.Click(caption);
          } catch (const UiError&) {
          }
        } else if (id == IDCANCEL) {
          form_.CloseBox();
        }
        handled = true;
        return 0;
      }
      for (const Child& child : children_) {
        if (child.id != id) continue;
        Act(child, HIWORD(wParam));
        handled = true;
        return 0;
      }
      break;
    }
    case WM_CLOSE:
      form_.CloseBox();
      handled = true;
      return 0;
    default:
      break;
  }
  return 0;
}

LRESULT CALLBACK FormView::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR /*id*/, DWORD_PTR self) {
  bool handled = false;
  const LRESULT result =
      reinterpret_cast<FormView*>(self)->OnMessage(message, wParam, lParam, handled);
  return handled ? result : DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace qx::win
