#pragma once
// One website rule.

#include <cstdint>
#include <string>

namespace qx {

inline constexpr std::int32_t kAllowPopups = 1;
inline constexpr std::int32_t kDisallowPopups = 2;
inline constexpr std::int32_t kAlwaysKill = 3;
// Never created by the program, but a kill rule when found in a file.
inline constexpr std::int32_t kAlwaysKillOld = 4;

struct Website {
  Website(std::wstring url, std::int32_t ruleType) : URL(std::move(url)), RuleType(ruleType) {}

  // Host and optional path, lower-case, without protocol, query, fragment
  // and one trailing slash; a script rule holds the whole "javascript:" text.
  // Fixed once made: the rule's group indexes it.
  const std::wstring URL;
  std::int32_t RuleType;
  // The rule applies to every subdomain of its host too.
  bool MatchSubdomains = false;
};

}  // namespace qx
