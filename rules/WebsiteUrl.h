#pragma once
// The website rules' own reading of a URL. These differ in detail from the
// browser watch's helpers of the same names, and stored rules depend on the
// exact forms they produce, so they live apart in their own namespace.
// A slash is "/" or "\" throughout.

#include <string>
#include <string_view>

namespace qx::website {

inline constexpr std::wstring_view kScriptScheme = L"javascript:";

bool IsSlash(wchar_t c);
// Whether the text begins "javascript:" in any letter case.
bool IsScriptUrl(std::wstring_view text);

// Cuts the query and the fragment, then one trailing slash; a script URL
// stays whole.
std::wstring StripQuery(std::wstring_view text);
// The lower-case host (with any port or user name), "javascript:" for a
// script URL.
std::wstring HostOf(std::wstring_view text);
// Drops "scheme:" and the slashes after it and lower-cases the rest; text
// without such a scheme comes back unchanged.
std::wstring StripProtocol(std::wstring_view text);
// A "." and another "." after it: the name has at least three labels.
bool HasDoubleDot(std::wstring_view text);
// The text after the first "."; all of it when there is none.
std::wstring_view StripToDot(std::wstring_view text);

// What a stored rule's text stands for: as StripQuery, but a "?" stays. Add
// cut every query before the rule was stored, so a "?" there stands for a
// character the code page could not hold.
std::wstring_view StripStoredView(std::wstring_view text);

// The same three as views into the text (or into kScriptScheme), in the
// text's own letter case: on lower-case text they give exactly what the
// three above give, without a copy. The queries run them on every URL.
std::wstring_view StripQueryView(std::wstring_view text);
std::wstring_view HostView(std::wstring_view text);
std::wstring_view StripProtocolView(std::wstring_view text);

// A local path given as a rule ("c:", "c:/pages") becomes a file URL; other
// text comes back unchanged. Expects lower-case text.
std::wstring RuleLocalPathToFileUrl(std::wstring url);
// A local page as the browser may report it ("c:\pages\a b.htm",
// "\\server\share\x.htm") becomes a file URL with forward slashes and
// escaped blanks; other text comes back unchanged.
std::wstring PageLocalPathToFileUrl(std::wstring_view url);

}  // namespace qx::website
