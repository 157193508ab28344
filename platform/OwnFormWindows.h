#pragma once
// The window handles of the program's own forms, so that the hot keys never
// kill them.

#include <algorithm>
#include <array>

#include "platform/Types.h"

namespace qx {

enum class OwnForm { Main, Options, WebsiteRule, WindowRule, ExtraOptions, Error, Password, Count };

class OwnFormWindows {
 public:
  void Set(OwnForm form, Hwnd window) { slots_[static_cast<std::size_t>(form)] = window; }
  Hwnd Get(OwnForm form) const { return slots_[static_cast<std::size_t>(form)]; }
  bool IsOwnFormWindow(Hwnd window) const {
    return window != 0 && std::find(slots_.begin(), slots_.end(), window) != slots_.end();
  }

 private:
  std::array<Hwnd, static_cast<std::size_t>(OwnForm::Count)> slots_{};
};

}  // namespace qx
