#pragma once
// Importing a shared rule list (a filter list or a hosts file) into the
// website rules: every pop-up destination it names becomes an always-kill
// rule, beside the user's own rules, which it never replaces or removes.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "base/AnsiCodec.h"
#include "rules/FilterList.h"
#include "rules/Websites.h"

namespace qx {

struct ImportCounts {
  std::size_t added = 0;
  // Rules whose URL had a rule already (the user's, or an earlier line's).
  std::size_t alreadyThere = 0;
  std::array<std::size_t, kListSkipReasons> skipped{};
  bool isList = false;
};

// Nothing is added from a text that is not a list at all.
ImportCounts ImportRuleList(Websites& websites, std::string_view bytes, const AnsiCodec& ansi);

// What the user is told: "Added 120 rules; 4 were already there; 880 lines
// skipped: 700 narrower than a whole site, 180 not pop-up rules."
std::wstring ImportMessage(const ImportCounts& counts);

}  // namespace qx
