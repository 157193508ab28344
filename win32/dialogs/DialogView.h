#pragma once
// A configuration dialog on screen: the window made from its dialog
// template, bound control by control to its presentation model. The view
// copies the model's state into the controls and hands the user's actions
// to the model; it holds no state of its own beyond what is on screen.

#include <windows.h>
// windows.h first: commctrl.h needs its types.
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/FormModel.h"

namespace qx::win {

// The hidden window of a dialog template for a model's window class
// ("QuellixOptions", "QuellixWebsiteRule", "QuellixWindowRule",
// "QuellixExtraOptions"); null for any other class or when the template
// cannot be made.
HWND CreateDialogWindow(std::wstring_view className);

class DialogView {
 public:
  // window: made by CreateDialogWindow for the model; acted: runs after
  // every action the view hands to the model (the host looks for dialogs
  // the action opened or closed).
  DialogView(HWND window, FormModel& form, std::function<void()> acted);
  ~DialogView();
  DialogView(const DialogView&) = delete;
  DialogView& operator=(const DialogView&) = delete;

  HWND Window() const { return window_; }
  FormModel& Form() const { return form_; }
  // The window is gone (the model unloaded it).
  bool Dead() const { return window_ == nullptr; }
  // One of the view's handlers is on the stack.
  bool Busy() const { return busy_ > 0; }
  bool InModalLoop() const { return modal_; }

  // Copies the model's state into the controls.
  void Refresh();
  // Shows the window without making it modal and brings it to the front.
  void Show();
  // Shows the window over `owner` (disabled meanwhile) and runs the
  // thread's messages through `pretranslate` until the model hides or
  // unloads. A quit message ends the loop and is posted again.
  void RunModal(HWND owner, const std::function<bool(MSG&)>& pretranslate);
  // The dialog's keys (F1, CTRL+TAB, DELETE where the model takes them,
  // then the dialog navigation keys) for a message of one of its windows.
  bool PreTranslate(MSG& message);

  struct Binding {
    const Control* control;
    HWND window;  // the tab strip's window for its tabs
    int tab;      // the panel it sits on; 0 the dialog itself
  };
  const std::vector<Binding>& Bindings() const { return bindings_; }
  // What could not be bound: template controls no model control matches,
  // and model controls no template control shows. Empty when complete.
  const std::vector<std::wstring>& Unbound() const { return unbound_; }
  // The panel of a tab (from 1); null for dialogs without tabs.
  HWND Panel(int tab) const;
  HWND ChildFor(std::wstring_view nameOrCaption) const;

 private:
  struct Shown {
    std::vector<std::wstring> items;
    std::vector<ListRow> rows;
  };
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnNotify(LPARAM lParam, bool& handled);
  void TabTip(NMTTDISPINFOW& info);
  void OnListNotify(const Binding& binding, NMHDR& header);
  bool IsLink(HWND child) const;
  LRESULT OnLinkColour(HDC dc, HWND child, bool& handled);
  void Forget(HWND window);
  void Bind();
  void BindChildren(HWND parent, int tab);
  void Decorate();
  void MakeFonts();
  void SetIcon(HWND control, int icon, int size);
  void AddTooltip(const Binding& binding);
  const Binding* BindingOf(HWND child) const;
  void Act(const Binding& binding, UINT code);
  void ListChanged(const Binding& binding);
  void Forward(const std::function<void()>& action);
  void RefreshControl(const Binding& binding, Shown& shown);
  void RefreshList(const Binding& binding, Shown& shown);
  void ShowPanel();
  void SyncTexts();
  bool Ended() const;

  HWND window_;
  FormModel& form_;
  std::function<void()> acted_;
  std::vector<HWND> panels_;
  HWND tabs_ = nullptr;
  HWND tooltip_ = nullptr;
  std::vector<Binding> bindings_;
  std::vector<Shown> shown_;
  std::vector<std::wstring> unbound_;
  HFONT linkFont_ = nullptr;
  HFONT titleFont_ = nullptr;
  std::vector<HICON> icons_;
  int busy_ = 0;
  bool modal_ = false;
  bool refreshing_ = false;
  int shownTab_ = -1;
};

}  // namespace qx::win
