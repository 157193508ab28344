#include "ui/FormModel.h"

#include <utility>

#include "base/Text.h"

namespace qx {
namespace {

std::string Narrow(std::wstring_view text) {
  return ToUtf8(std::wstring(text));
}

}  // namespace

std::wstring Control::ShownCaption() const {
  std::wstring shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&') {
      if (i + 1 < caption.size() && caption[i + 1] == L'&') {
        shown.push_back(L'&');
        ++i;
      }
      continue;
    }
    shown.push_back(caption[i]);
  }
  return shown;
}

std::vector<int> Control::SelectedRows() const {
  std::vector<int> selected;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].selected) selected.push_back(static_cast<int>(i + 1));
  }
  return selected;
}

const ListRow* Control::FirstSelected() const {
  for (const ListRow& row : rows) {
    if (row.selected) return &row;
  }
  return nullptr;
}

Control& FormModel::Add(Control control) {
  controls_.push_back(std::move(control));
  return controls_.back();
}

void FormModel::KeepDesignState() {
  design_.clear();
  for (const Control& c : controls_) {
    Control state = c;
    state.onClick = nullptr;
    state.onDblClick = nullptr;
    state.onLeave = nullptr;
    design_.push_back(std::move(state));
  }
}

void FormModel::RestoreDesignState() {
  for (std::size_t i = 0; i < design_.size() && i < controls_.size(); ++i) {
    Control& c = controls_[i];
    Control state = design_[i];
    state.onClick = std::move(c.onClick);
    state.onDblClick = std::move(c.onDblClick);
    state.onLeave = std::move(c.onLeave);
    c = std::move(state);
  }
  focused_ = nullptr;
}

const Control* FormModel::Find(std::wstring_view nameOrCaption) const {
  for (const Control& c : controls_) {
    if (!c.name.empty() && c.name == nameOrCaption) return &c;
  }
  const Control* best = nullptr;
  int bestScore = -1;
  for (const Control& c : controls_) {
    if (c.caption.empty() || c.ShownCaption() != nameOrCaption) continue;
    int score = 0;
    if (c.tab == 0 || c.tab == SelectedTab()) score += 4;
    if (c.visible) score += 2;
    if (c.kind != ControlKind::Frame && c.kind != ControlKind::Label) score += 1;
    if (score > bestScore) {
      best = &c;
      bestScore = score;
    }
  }
  return best;
}

Control* FormModel::Find(std::wstring_view nameOrCaption) {
  return const_cast<Control*>(std::as_const(*this).Find(nameOrCaption));
}

Control& FormModel::Get(std::wstring_view nameOrCaption) {
  Control* c = Find(nameOrCaption);
  if (c == nullptr) throw UiError("no control \"" + Narrow(nameOrCaption) + "\"");
  return *c;
}

bool FormModel::OnShownPanel(const Control& control) const {
  return control.tab == 0 || control.tab == SelectedTab();
}

void FormModel::Reachable(const Control& control) const {
  const std::string what =
      "\"" + Narrow(control.name.empty() ? control.caption : control.name) + "\"";
  if (!loaded_ || !shown_) throw UiError("the dialog is not shown");
  if (!control.visible) throw UiError(what + " is not visible");
  if (!control.enabled) throw UiError(what + " is disabled");
  if (!OnShownPanel(control)) throw UiError(what + " is on a panel that is not shown");
}

void FormModel::Focus(Control* control) {
  if (focused_ == control) return;
  Control* left = focused_;
  focused_ = control;
  if (left != nullptr && left->onLeave) left->onLeave();
}

void FormModel::Click(std::wstring_view name) {
  Control& c = Get(name);
  Reachable(c);
  switch (c.kind) {
    case ControlKind::CheckBox:
      Focus(&c);
      c.checked = !c.checked;
      break;
    case ControlKind::OptionButton:
      Focus(&c);
      if (c.checked) return;
      for (Control& other : controls_) {
        if (other.kind == ControlKind::OptionButton && other.group == c.group) {
          other.checked = false;
        }
      }
      c.checked = true;
      break;
    case ControlKind::Button:
    case ControlKind::Link:
    case ControlKind::Picture:
      Focus(&c);
      break;
    case ControlKind::Tab: {
      int index = 1;
      for (const Control& t : controls_) {
        if (&t == &c) break;
        if (t.kind == ControlKind::Tab) ++index;
      }
      TabChosen(index);
      return;
    }
    default:
      throw UiError("\"" + Narrow(name) + "\" cannot be clicked");
  }
  if (c.onClick) c.onClick();
}

void FormModel::Check(std::wstring_view name, bool on) {
  Control& c = Get(name);
  if (c.kind != ControlKind::CheckBox) throw UiError("\"" + Narrow(name) + "\" is no check box");
  Reachable(c);
  Focus(&c);
  if (c.checked == on) return;
  c.checked = on;
  if (c.onClick) c.onClick();
}

void FormModel::Pick(std::wstring_view name, int position) {
  Control& c = Get(name);
  Reachable(c);
  if (c.kind == ControlKind::TabStrip) {
    if (position < 1 || position > static_cast<int>(c.items.size())) {
      throw UiError("no tab " + std::to_string(position));
    }
    TabChosen(position);
    return;
  }
  if (c.kind != ControlKind::ComboBox) throw UiError("\"" + Narrow(name) + "\" is no list");
  if (position < 0 || position >= static_cast<int>(c.items.size())) {
    throw UiError("no item " + std::to_string(position) + " in \"" + Narrow(name) + "\"");
  }
  Focus(&c);
  c.position = position;
  if (c.onClick) c.onClick();
}

void FormModel::Type(std::wstring_view name, std::wstring_view text) {
  Control& c = Get(name);
  if (c.kind != ControlKind::TextBox) throw UiError("\"" + Narrow(name) + "\" is no text box");
  Reachable(c);
  Focus(&c);
  c.text = std::wstring(text);
  if (c.onClick) c.onClick();
}

void FormModel::SelectRows(std::wstring_view name, const std::vector<int>& rows) {
  Control& c = Get(name);
  if (c.kind != ControlKind::ListView) throw UiError("\"" + Narrow(name) + "\" is no list view");
  Reachable(c);
  Focus(&c);
  for (ListRow& row : c.rows)
    row.selected = false;
  for (const int i : rows) {
    if (i < 1 || i > static_cast<int>(c.rows.size())) {
      throw UiError("no row " + std::to_string(i) + " in \"" + Narrow(name) + "\"");
    }
    c.rows[static_cast<std::size_t>(i - 1)].selected = true;
  }
}

void FormModel::DblClick(std::wstring_view name) {
  Control& c = Get(name);
  Reachable(c);
  Focus(&c);
  if (c.onDblClick) c.onDblClick();
}

void FormModel::Key(std::wstring_view key) {
  throw UiError("the dialog does not handle the key \"" + Narrow(key) + "\"");
}

void FormModel::CloseBox() {
  throw UiError("the dialog \"" + Narrow(caption_) + "\" has no close box the user can use here");
}

void FormModel::RowMenu(std::wstring_view name) {
  throw UiError("\"" + Narrow(name) + "\" has no context menu");
}

}  // namespace qx
