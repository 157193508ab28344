#pragma once
// What a careful look at a dialog would find wrong: a text that does not
// fit its control, controls that overlap, a control cut off by the edge of
// the window it sits in.

#include <string>
#include <vector>

#include "win32/dialogs/DialogView.h"

namespace qx::win::testing {

// The problems of the controls on the dialog itself (tab 0) and on the
// panel of `tab`, as they are shown now; empty when it looks right.
std::vector<std::wstring> LayoutProblems(const DialogView& view, int tab);
// The same for windows that show the given controls.
std::vector<std::wstring> LayoutProblems(const std::vector<DialogView::Binding>& shownControls,
                                         int tab);

}  // namespace qx::win::testing
