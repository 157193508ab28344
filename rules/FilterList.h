#pragma once
// Reading shared rule lists: filter lists in the syntax content blockers
// share ("||ads.example^$popup") and hosts files ("0.0.0.0 ads.example").
// Only what a website rule can say exactly is taken: a pop-up destination
// that is a whole site, or a site and a path. Every other line is skipped
// and counted under its reason. Lines may hold any bytes and be of any
// length; the list is read as bytes, since its syntax is ASCII.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/AnsiCodec.h"

namespace qx {

// Why a line of a list was not taken. The order is the order of the checks.
enum class ListSkip : std::uint8_t {
  Comment,            // "! ...", "# ...", a "[Adblock Plus 2.0]" header
  Cosmetic,           // element hiding: "example.com##.ad"
  Exception,          // "@@||example.com^$popup"
  NotPopup,           // a filter without the popup option; a bare pattern
  Narrower,           // domain=, first-party, an unknown option, a query, "|" at the end
  RegularExpression,  // "/pop[0-9]+/$popup"
  Wildcard,           // "*" or "^" inside the pattern
  NoSite,             // a pattern not anchored at a site ("/popunder.$popup")
  LocalName,          // "127.0.0.1 localhost" and the like
  Redirection,        // a hosts entry that sends a name to a real address
  Unreadable,         // control bytes, blanks inside a filter, a lone address
};
inline constexpr std::size_t kListSkipReasons = 11;

// One rule a list gives: a host with an optional path, as the list spells it.
struct ListRule {
  std::wstring url;
  bool subdomains = false;
};

struct ParsedList {
  std::vector<ListRule> rules;
  // Lines with something on them, and how many of them gave rules.
  std::size_t lines = 0;
  std::size_t linesTaken = 0;
  std::array<std::size_t, kListSkipReasons> skipped{};
  // The text reads as a filter list or a hosts file at all: it has a
  // list's marks, and no more than half of its lines are unreadable.
  bool isList = false;

  std::size_t Skipped(ListSkip reason) const { return skipped[static_cast<std::size_t>(reason)]; }
  std::size_t SkippedLines() const;
};

// Reads a whole list. UTF-8 (with or without a byte-order mark) is read as
// such, UTF-16 with a byte-order mark too; other bytes are in the ANSI code
// page. Line ends may be CR LF, LF or CR.
ParsedList ParseRuleList(std::string_view bytes, const AnsiCodec& ansi);

// The rule one filter line (UTF-8) gives, as a filter list would hold it;
// none when the line gives no rule.
std::optional<ListRule> FilterRuleOf(std::string_view line);

}  // namespace qx
