#include "rules/RuleListImport.h"

#include <algorithm>
#include <vector>

#include "base/Text.h"

namespace qx {
namespace {

struct ReasonWords {
  std::wstring_view one;
  std::wstring_view many;
};

// In the order of ListSkip.
constexpr std::array<ReasonWords, kListSkipReasons> kReasonWords = {{
    {L"comment", L"comments"},
    {L"element-hiding rule", L"element-hiding rules"},
    {L"exception", L"exceptions"},
    {L"not a pop-up rule", L"not pop-up rules"},
    {L"narrower than a whole site", L"narrower than a whole site"},
    {L"regular expression", L"regular expressions"},
    {L"with a wildcard", L"with wildcards"},
    {L"not naming a site", L"not naming a site"},
    {L"local name", L"local names"},
    {L"redirection", L"redirections"},
    {L"unreadable", L"unreadable"},
}};

std::wstring Counted(std::size_t n, std::wstring_view one, std::wstring_view many) {
  return NumberText(static_cast<std::int64_t>(n)) + L" " + std::wstring(n == 1 ? one : many);
}

}  // namespace

ImportCounts ImportRuleList(Websites& websites, std::string_view bytes, const AnsiCodec& ansi) {
  const ParsedList list = ParseRuleList(bytes, ansi);
  ImportCounts counts;
  counts.isList = list.isList;
  counts.skipped = list.skipped;
  if (!list.isList) return counts;
  for (const ListRule& rule : list.rules) {
    ++(websites.AddIfAbsent(rule.url, kAlwaysKill, rule.subdomains) ? counts.added
                                                                    : counts.alreadyThere);
  }
  if (counts.added > 0) websites.RulesChanged();
  return counts;
}

std::wstring ImportMessage(const ImportCounts& counts) {
  if (!counts.isList) {
    return L"Nothing was imported: the file is not a filter list or a hosts file.";
  }
  std::wstring text = counts.added == 0 ? std::wstring(L"Added no rules")
                                        : L"Added " + Counted(counts.added, L"rule", L"rules");
  if (counts.alreadyThere > 0) {
    text += L"; " + Counted(counts.alreadyThere, L"was", L"were") + L" already there";
  }
  std::size_t skipped = 0;
  std::vector<std::size_t> reasons;
  for (std::size_t r = 0; r < kListSkipReasons; ++r) {
    skipped += counts.skipped[r];
    if (counts.skipped[r] > 0) reasons.push_back(r);
  }
  if (skipped > 0) {
    // The largest reasons first; equal ones in the order they are checked.
    std::stable_sort(reasons.begin(), reasons.end(), [&](std::size_t a, std::size_t b) {
      return counts.skipped[a] > counts.skipped[b];
    });
    text += L"; " + Counted(skipped, L"line", L"lines") + L" skipped: ";
    for (std::size_t i = 0; i < reasons.size(); ++i) {
      const ReasonWords& words = kReasonWords[reasons[i]];
      text += (i > 0 ? L", " : L"") + Counted(counts.skipped[reasons[i]], words.one, words.many);
    }
  }
  return text + L".";
}

}  // namespace qx
