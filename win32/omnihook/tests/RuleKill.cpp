#include "RuleKill.h"

#include <string>

namespace qx::win::test {

RuleKill::RuleKill(std::wstring_view phrase) : rules_(files_, ansi_, hooks_) {
  rules_.Add(L"", phrase, kCaptionContains);
}

void RuleKill::Check(LONG window) {
  const HWND hwnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(window));
  if (closed_.count(window) > 0) return;
  wchar_t caption[512];
  const int length = GetWindowTextW(hwnd, caption, 512);
  if (length <= 0 || !rules_.Kill(L"", std::wstring_view(caption, length))) return;
  closed_.insert(window);
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

}  // namespace qx::win::test
