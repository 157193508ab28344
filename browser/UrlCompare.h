#pragma once
// The browser watch's URL helpers. The website rules have helpers of the same
// names that differ in detail; these live in their own namespace.

#include <string>
#include <string_view>

#include "platform/UrlUnescaper.h"

namespace qx::browser_url {

// Lower-cased host of a URL, without a leading "www.".
std::wstring HostOf(std::wstring_view url);
// The text before the first "?".
std::wstring StripQuery(std::wstring_view url);
// Without leading "/", "\" and "." and one trailing "/" or "\".
std::wstring TrimPath(std::wstring_view s);
// %XX sequences decoded: through the platform below 260 characters, by the
// program's own scan from 260 on.
std::wstring Unescape(UrlUnescaper& platform, std::wstring_view s);
// Unescaped, trimmed and lower-cased, the two are equal.
bool UrlCompare(UrlUnescaper& platform, std::wstring_view a, std::wstring_view b);
// The program's own scan for long texts: "%" and two hexadecimal digits
// become that character; anything else is copied as it stands.
std::wstring UnescapeLong(std::wstring_view s);

}  // namespace qx::browser_url
