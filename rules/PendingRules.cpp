#include "rules/PendingRules.h"

namespace qx {

std::wstring PendingRulesPath(std::wstring_view ruleFile) {
  const std::size_t name = ruleFile.find_last_of(L"\\/");
  const std::size_t dot = ruleFile.rfind(L'.');
  const bool hasExtension =
      dot != std::wstring_view::npos && (name == std::wstring_view::npos || dot > name);
  const std::size_t stem = hasExtension ? dot : ruleFile.size();
  return std::wstring(ruleFile.substr(0, stem)) + L".pending" + std::wstring(ruleFile.substr(stem));
}

}  // namespace qx
