#pragma once
// The always-kill rules as a filter list, for other Quellix installations
// and for content blockers: rules for a site and its subdomains as
// "||ads.example^$popup" (with a path "||ads.example/pop$popup"), rules
// for the exact host as the address "|http://ads.example^$popup". Importing
// the list gives back the same rules.

#include <cstddef>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "rules/Website.h"
#include "rules/Websites.h"

namespace qx {

struct RuleListExport {
  // The list, UTF-8 with CR LF line ends.
  std::string text;
  std::size_t written = 0;
  // Always-kill rules that no filter line says exactly (a script address,
  // a local page, a URL with "*" or "^" in it): not written.
  std::size_t leftOut = 0;
};

// Every always-kill rule in the rules' order, after the list's header
// (dated `today`).
RuleListExport ExportRuleList(const Websites& websites, const LocalTime& today);

// The filter line of one always-kill rule (UTF-8, no line end); none for
// another type of rule or one that no filter line says exactly.
std::optional<std::string> FilterLineOf(const Website& rule);

// "Exported 12 rules." and what was left out.
std::wstring ExportMessage(const RuleListExport& result);

}  // namespace qx
