#pragma once
// The desktop work area, read when made and on Refresh; zeros when it cannot
// be read.

#include <cstdint>

#include "platform/UiServices.h"

namespace qx {

class WindowRect {
 public:
  explicit WindowRect(WorkArea& area) : area_(area) { Refresh(); }
  void Refresh();
  std::int32_t Left() const { return rect_.left; }
  std::int32_t Top() const { return rect_.top; }
  std::int32_t Width() const { return rect_.right - rect_.left + 1; }
  std::int32_t Height() const { return rect_.bottom - rect_.top + 1; }

 private:
  WorkArea& area_;
  Rect rect_;
};

}  // namespace qx
