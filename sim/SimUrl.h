#pragma once
// Addresses as the simulated browser treats them: how an element's href
// reads, how BeforeNavigate2 reports a local file, what a "javascript:"
// address opens.

#include <string>
#include <string_view>
#include <vector>

namespace qx::sim {

bool IsJavascriptUrl(std::wstring_view url);

// The address as BeforeNavigate2 reports it: a "file://" address of a local
// path arrives as the plain path ("file://C:\dir\x.html" -> "C:\dir\x.html").
std::wstring ReportedAddress(std::wstring_view url);

// href resolved against the address of its document, as the href property
// of a link answers it. Addresses with a scheme (or a drive) stay as written;
// "." and ".." segments are not simplified.
std::wstring ResolveUrl(std::wstring_view base, std::wstring_view href);

// The addresses that a "javascript:" address opens through
// window.open('URL') or open('URL'), in order.
std::vector<std::wstring> ScriptOpens(std::wstring_view script);

}  // namespace qx::sim
