#pragma once
// A dialog as a presentation model: its controls with caption, tooltip,
// state and contents, and the user's actions on them. A view (the Windows
// dialog, or the simulated user) reads the state and forwards the actions.

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

namespace qx {

enum class ControlKind {
  Button,
  Link,
  CheckBox,
  OptionButton,
  ComboBox,
  TextBox,
  ListView,
  TabStrip,
  Tab,
  Label,
  Picture,
  Frame
};

struct ListRow {
  std::wstring key{};
  // The row's text, then one text per further column.
  std::vector<std::wstring> texts{};
  std::wstring tag{};
  // The list's tool tip over this row (empty: none).
  std::wstring tip{};
  bool selected = false;
};

struct Control {
  ControlKind kind = ControlKind::Label;
  std::wstring name{};  // the program's name for it; may be empty
  std::wstring caption{};
  std::wstring tooltip{};
  int tab = 0;    // the tab panel it sits on (from 1); 0: on the form itself
  int group = 0;  // option buttons that exclude each other
  bool enabled = true;
  bool visible = true;
  bool checked = false;                 // check box, option button
  bool greyed = false;                  // a text box shown in the button-face colour
  std::wstring text{};                  // text box
  std::vector<std::wstring> items{};    // combo box
  int position = -1;                    // combo box: the selected item, -1 none
  std::vector<std::wstring> columns{};  // list view
  std::vector<ListRow> rows{};          // list view
  // What the form does when the user acts: a button or link is pressed, a
  // box or option changes, a combo box's selection changes, a text changes,
  // a picture is double-clicked, the focus leaves a text box.
  std::function<void()> onClick{};
  std::function<void()> onDblClick{};
  std::function<void()> onLeave{};

  // The caption as shown: without the access-key "&".
  std::wstring ShownCaption() const;
  // What the user's actions name it by: its program name, else its caption
  // as shown.
  std::wstring Key() const { return name.empty() ? ShownCaption() : name; }
  std::vector<int> SelectedRows() const;  // from 1
  const ListRow* FirstSelected() const;
};

// A user action that the dialog cannot take: no such control, a control
// that is disabled, hidden, or on a panel that is not shown.
struct UiError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class FormModel {
 public:
  virtual ~FormModel() = default;
  FormModel() = default;
  FormModel(const FormModel&) = delete;
  FormModel& operator=(const FormModel&) = delete;

  const std::wstring& Caption() const { return caption_; }
  bool Loaded() const { return loaded_; }
  bool Shown() const { return shown_; }
  Hwnd Window() const { return window_; }

  // A control by its program name, else by its caption as shown; of several
  // with that caption the one on the selected tab, then a visible one.
  Control* Find(std::wstring_view nameOrCaption);
  const Control* Find(std::wstring_view nameOrCaption) const;
  Control& Get(std::wstring_view nameOrCaption);
  const std::deque<Control>& Controls() const { return controls_; }
  // The tab whose panel is shown (from 1); 0 for a form without tabs.
  virtual int SelectedTab() const { return 0; }

  // The user's actions.
  void Click(std::wstring_view control);
  void Check(std::wstring_view control, bool on);
  void Pick(std::wstring_view control, int position);
  void Type(std::wstring_view control, std::wstring_view text);
  void SelectRows(std::wstring_view control, const std::vector<int>& rows);
  void DblClick(std::wstring_view control);
  // A key pressed in the dialog ("f1", "ctrl+tab", "delete").
  virtual void Key(std::wstring_view key);
  // The right button on a list's selected row; the menu that shows is
  // answered by the menu port.
  virtual void RowMenu(std::wstring_view control);
  // The user closes the window with its close box.
  virtual void CloseBox();

 protected:
  Control& Add(Control control);
  // Remembers every control's state as the form was built: what a newly
  // loaded form shows. RestoreDesignState puts it back (the handlers stay),
  // so that a form unloaded and loaded again opens as it did the first
  // time, with nothing left over from its last use.
  void KeepDesignState();
  void RestoreDesignState();
  std::deque<Control>& MutableControls() { return controls_; }
  // The control can take the user's action, or UiError says why not.
  void Reachable(const Control& control) const;
  virtual bool OnShownPanel(const Control& control) const;
  // The focus moves to another control: the one that had it is left.
  void Focus(Control* control);
  // A tab of the strip is chosen by the user.
  virtual void TabChosen(int /*tab*/) {}

  std::wstring caption_;
  bool loaded_ = false;
  bool shown_ = false;
  Hwnd window_ = 0;

 private:
  std::deque<Control> controls_;
  std::vector<Control> design_;
  Control* focused_ = nullptr;
};

}  // namespace qx
