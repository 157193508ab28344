// The rewrite of "while" loops in script addresses: any text gives an
// answer at once, text without a loop comes back unchanged, and a rewritten
// loop is bounded.

#include "browser/BrowserMonitor.h"
#include "fuzz/FuzzSupport.h"

namespace {

std::size_t Count(const std::wstring& text, std::wstring_view what) {
  std::size_t n = 0;
  for (auto p = text.find(what); p != std::wstring::npos; p = text.find(what, p + what.size()))
    ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qx;
  using namespace qx::fuzz;
  const std::wstring url = Text(Bytes(data, size));
  const std::wstring lower = LowerCase(url);
  const auto rewritten = RewriteScriptLoops(url);
  if (lower.find(L"while") == std::wstring::npos) {
    QX_FUZZ_CHECK(rewritten == url);
    return 0;
  }
  if (!rewritten) {
    // Left alone only when some loop has no condition to bound: no "(" or
    // no ")" after it, or the ")" first.
    bool unbounded = false;
    for (auto p = lower.find(L"while"); p != std::wstring::npos; p = lower.find(L"while", p + 1)) {
      const auto open = url.find(L'(', p);
      const auto close = url.find(L')', p);
      unbounded =
          unbounded || open == std::wstring::npos || close == std::wstring::npos || close < open;
    }
    QX_FUZZ_CHECK(unbounded);
    return 0;
  }
  // Every loop got its bound; the rest of the text is kept in order.
  const std::size_t bounds = Count(*rewritten, L"for(qxtimeout = 0;(qxtimeout<1000) && !");
  QX_FUZZ_CHECK(bounds >= 1);
  QX_FUZZ_CHECK(bounds <= Count(lower, L"while") + Count(url, L"for(qxtimeout = 0;"));
  QX_FUZZ_CHECK(Count(*rewritten, L";qxtimeout++)") >= bounds);
  // The text before the first loop is untouched.
  const std::size_t loop = lower.find(L"while");
  QX_FUZZ_CHECK(rewritten->compare(0, loop, url, 0, loop) == 0);
  return 0;
}
