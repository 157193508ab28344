#pragma once
// Where rules go when their rule file is there but could not be read: that
// file is never written over (it would lose every rule it holds), so the
// rules of the session are kept beside it, in a file of their own, and
// merged when the rule file reads again.

#include <string>
#include <string_view>

namespace qx {

// "...\websites.dat" gives "...\websites.pending.dat": the same folder.
std::wstring PendingRulesPath(std::wstring_view ruleFile);

}  // namespace qx
