#include "win32/forms/ModalLoop.h"

namespace qx::win {

void RunModalLoop(const std::function<bool()>& ended,
                  const std::function<bool(MSG&)>& pretranslate) {
  MSG message{};
  while (!ended()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (got == -1) return;
    if (pretranslate && pretranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace qx::win
