#include "win32/dialogs/WinDialogHost.h"

#include <algorithm>

namespace qx::win {
namespace {

HWND H(Hwnd window) {
  return reinterpret_cast<HWND>(window);
}

// A window made from one of our templates (a dialog window), not the plain
// window a port makes when no template is at hand.
bool IsDialogWindow(HWND window) {
  wchar_t cls[16] = {};
  return window != nullptr && GetClassNameW(window, cls, 16) > 0 &&
         std::wstring_view(cls) == L"#32770";
}

}  // namespace

WinDialogHost::WinDialogHost(FormHost& forms) : forms_(forms) {}

WinDialogHost::~WinDialogHost() {
  for (auto& view : views_)
    view.reset();
  dropped_.clear();
}

void WinDialogHost::Attach(Process* process, BrowserHolds* holds) {
  forms_.Attach(process, holds);
  Sync();
}

void WinDialogHost::ShowOptions(int page) {
  forms_.ShowOptions(page);
  Sync();
}

void WinDialogHost::ShowExtraOptionsModal() {
  forms_.ShowExtraOptionsModal();
  Sync();
}

void WinDialogHost::UnloadAll() {
  forms_.UnloadAll();
  Sync();
}

DialogView* WinDialogHost::View(std::wstring_view name) {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (kNames[i] == name && views_[i] && !views_[i]->Dead()) return views_[i].get();
  }
  return nullptr;
}

void WinDialogHost::Collect() {
  std::erase_if(dropped_, [](const std::unique_ptr<DialogView>& view) { return !view->Busy(); });
}

void WinDialogHost::Sync() {
  ++syncing_;
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    FormModel* model = forms_.Loaded(kNames[i]);
    std::unique_ptr<DialogView>& view = views_[i];
    if (view && (view->Dead() || model == nullptr || &view->Form() != model ||
                 view->Window() != H(model->Window()))) {
      dropped_.push_back(std::move(view));
    }
    if (!view && model != nullptr && IsDialogWindow(H(model->Window()))) {
      view = std::make_unique<DialogView>(H(model->Window()), *model, [this] { Sync(); });
    }
    if (view) view->Refresh();
  }
  // Only an outermost pass may free views: an inner one runs inside the
  // handlers of some of them.
  if (syncing_ == 1) Collect();

  if (DialogView* options = View(L"Options");
      options != nullptr && options->Form().Shown() && !IsWindowVisible(options->Window())) {
    options->Show();
  }
  if (FormModel* modal = forms_.Modal(); modal != nullptr) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      DialogView* view = views_[i].get();
      if (view == nullptr || &view->Form() != modal || view->InModalLoop()) continue;
      DialogView* options = View(L"Options");
      HWND owner =
          options != nullptr && IsWindowVisible(options->Window()) ? options->Window() : nullptr;
      view->RunModal(owner, [this](MSG& message) { return PreTranslate(message); });
      --syncing_;
      Sync();  // the dialog has hidden: drop its view
      return;
    }
  }
  --syncing_;
}

bool WinDialogHost::PreTranslate(MSG& message) {
  if (syncing_ == 0) Collect();
  for (auto& view : views_) {
    if (view && !view->Dead() && view->PreTranslate(message)) return true;
  }
  return false;
}

}  // namespace qx::win
