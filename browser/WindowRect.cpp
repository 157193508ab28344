#include "browser/WindowRect.h"

#include "platform/PlatformError.h"

namespace qx {

void WindowRect::Refresh() {
  rect_ = Rect{};
  Step([&] { rect_ = area_.Get(); });
}

}  // namespace qx
