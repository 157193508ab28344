#include "LayoutCheck.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/forms/WindowText.h"

namespace qx::win::testing {
namespace {

// The size the text needs in the control's font; width: where it wraps,
// 0 for one line.
SIZE Needed(HWND control, const std::wstring& text, int width) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT box{0, 0, width, 0};
  UINT flags = DT_CALCRECT | DT_NOPREFIX;
  flags |= width > 0 ? DT_WORDBREAK : DT_SINGLELINE;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, flags);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return SIZE{box.right - box.left, box.bottom - box.top};
}

std::wstring Name(const DialogView::Binding& b) {
  const Control& c = *b.control;
  return L"\"" + c.Key() + L"\"";
}

// A list's columns fit side by side without a horizontal scroll bar, and
// each heading fits its column.
void ColumnProblems(const DialogView::Binding& b, const RECT& client,
                    std::vector<std::wstring>& problems) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(b.window, LVM_GETHEADER, 0, 0));
  const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  int total = 0;
  for (int i = 0; i < count; ++i) {
    const int width = static_cast<int>(SendMessageW(b.window, LVM_GETCOLUMNWIDTH, i, 0));
    total += width;
    wchar_t title[128] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = title;
    column.cchTextMax = 128;
    SendMessageW(b.window, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    // The heading's margins, as the header control draws them.
    const int need = Needed(header, title, 0).cx + 12;
    if (need > width) {
      problems.push_back(Name(b) + L" column \"" + title + L"\" needs " + std::to_wstring(need) +
                         L" but has " + std::to_wstring(width));
    }
  }
  if (total > client.right) {
    problems.push_back(Name(b) + L" columns need " + std::to_wstring(total) +
                       L" but the list has " + std::to_wstring(client.right));
  }
}

bool Visible(HWND window) {
  return IsWindowVisible(window) != FALSE;
}

}  // namespace

std::vector<std::wstring> LayoutProblems(const DialogView& view, int tab) {
  return LayoutProblems(view.Bindings(), tab);
}

std::vector<std::wstring> LayoutProblems(const std::vector<DialogView::Binding>& shownControls,
                                         int tab) {
  std::vector<std::wstring> problems;
  std::vector<const DialogView::Binding*> shown;
  for (const DialogView::Binding& b : shownControls) {
    if ((b.tab != 0 && b.tab != tab) || !Visible(b.window)) continue;
    if (b.control->kind == ControlKind::Tab) continue;
    shown.push_back(&b);
  }
  const int checkWidth = GetSystemMetrics(SM_CXMENUCHECK) + 6;
  for (const DialogView::Binding* b : shown) {
    HWND w = b->window;
    RECT client{};
    GetClientRect(w, &client);
    const std::wstring text = WindowText(w);
    const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
    const auto clipped = [&](const SIZE& need, int width, int height) {
      if (need.cx > width || need.cy > height) {
        problems.push_back(Name(*b) + L" needs " + std::to_wstring(need.cx) + L"x" +
                           std::to_wstring(need.cy) + L" but has " + std::to_wstring(width) + L"x" +
                           std::to_wstring(height));
      }
    };
    switch (b->control->kind) {
      case ControlKind::Label:
      case ControlKind::Link:
        if (!text.empty()) clipped(Needed(w, text, client.right), client.right, client.bottom);
        break;
      case ControlKind::CheckBox:
      case ControlKind::OptionButton: {
        const int width = client.right - checkWidth;
        const bool multiline = (style & BS_MULTILINE) != 0;
        clipped(Needed(w, text, multiline ? width : 0), width, client.bottom);
        break;
      }
      case ControlKind::Button:
        clipped(Needed(w, text, 0), client.right - 8, client.bottom);
        break;
      case ControlKind::Frame:
        if (!text.empty()) clipped(Needed(w, text, 0), client.right - 16, client.bottom);
        break;
      case ControlKind::ComboBox: {
        const int count = static_cast<int>(SendMessageW(w, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
          wchar_t item[512] = {};
          SendMessageW(w, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
          clipped(Needed(w, item, 0), client.right - GetSystemMetrics(SM_CXVSCROLL) - 6,
                  client.bottom);
        }
        break;
      }
      case ControlKind::ListView:
        ColumnProblems(*b, client, problems);
        break;
      default:
        break;
    }
    // Inside the window or panel it sits in.
    HWND parent = GetParent(w);
    RECT area{};
    GetClientRect(parent, &area);
    RECT own{};
    GetWindowRect(w, &own);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&own), 2);
    if (own.left < area.left || own.top < area.top || own.right > area.right ||
        own.bottom > area.bottom) {
      problems.push_back(Name(*b) + L" reaches past the edge of its window");
    }
  }
  // No two controls of the same window overlap; frames and the tab strip
  // hold others by design.
  for (std::size_t i = 0; i < shown.size(); ++i) {
    for (std::size_t j = i + 1; j < shown.size(); ++j) {
      const DialogView::Binding& a = *shown[i];
      const DialogView::Binding& b = *shown[j];
      const auto container = [](const DialogView::Binding& x) {
        return x.control->kind == ControlKind::Frame || x.control->kind == ControlKind::TabStrip;
      };
      if (container(a) || container(b) || GetParent(a.window) != GetParent(b.window)) continue;
      RECT ra{}, rb{}, both{};
      GetWindowRect(a.window, &ra);
      GetWindowRect(b.window, &rb);
      if (IntersectRect(&both, &ra, &rb)) {
        problems.push_back(Name(a) + L" overlaps " + Name(b));
      }
    }
  }
  return problems;
}

}  // namespace qx::win::testing
