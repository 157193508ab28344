#pragma once
// The message loop of a modal window: the thread's messages run until the
// window's work is done.

#include <windows.h>

#include <functional>

namespace qx::win {

// Dispatches the thread's messages until `ended` answers true; `pretranslate`
// sees each message first and keeps it when it answers true. A quit message
// ends the loop and is posted again for the loop outside.
void RunModalLoop(const std::function<bool()>& ended,
                  const std::function<bool(MSG&)>& pretranslate);

}  // namespace qx::win
