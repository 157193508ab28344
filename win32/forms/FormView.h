#pragma once
// Shows a presentation model in a real window: one child control per
// control of the model, laid out top to bottom, with the user's actions
// forwarded to the model. Serves the small modal forms (the error dialog,
// the input box) whose windows the desktop port made.

#include <windows.h>

#include <vector>

#include "ui/FormModel.h"

namespace qx::win {

// A hidden top-level window for a form, in the dialog colour; the view
// gives it its frame. Null when the window cannot be made.
HWND CreateFormWindow(std::wstring_view caption);

class FormView {
 public:
  // window: the form's own top-level window, made hidden by the desktop
  // port; the view adds its controls and takes its messages until it ends.
  FormView(HWND window, FormModel& form);
  ~FormView();
  FormView(const FormView&) = delete;
  FormView& operator=(const FormView&) = delete;

  // Shows the window over `owner` (disabled meanwhile) and dispatches the
  // thread's messages until the form hides itself or is unloaded. A quit
  // message ends the loop and is posted again for the outer loop.
  void RunModal(HWND owner);
  // Copies the model's state into the controls and lays them out again.
  void Refresh();

  // The text box shows what is typed as dots (a password).
  void MaskText(std::wstring_view nameOrCaption);

  HWND Window() const { return window_; }
  // The child window that shows the model's control with this name or
  // caption; null when there is none.
  HWND ChildFor(std::wstring_view nameOrCaption) const;

 private:
  struct Child {
    const Control* control;
    HWND window;
    int id;
  };
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  void Act(const Child& child, WORD notification);
  // Hands the text boxes' texts to the model where they differ: some
  // systems change a text box without telling its parent.
  void SyncTexts();
  void Layout();
  bool Ended() const;

  HWND window_;
  FormModel& form_;
  HFONT font_;
  std::vector<Child> children_;
  bool refreshing_ = false;
};

}  // namespace qx::win
