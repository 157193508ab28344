#include "rules/RuleListExport.h"

#include <cstdio>

#include "base/Text.h"
#include "rules/FilterList.h"

namespace qx {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string DateText(const LocalTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year % 10000, t.month % 100, t.day % 100);
  return text;
}

}  // namespace

std::optional<std::string> FilterLineOf(const Website& rule) {
  if (rule.RuleType != kAlwaysKill && rule.RuleType != kAlwaysKillOld) return std::nullopt;
  const std::string url = ToUtf8(rule.URL);
  const bool wholeHost = url.find('/') == std::string::npos;
  std::string line = rule.MatchSubdomains ? "||" : "|http://";
  line += url;
  if (wholeHost) line += '^';
  line += "$popup";
  // Only a line that reads back as this very rule is written. A rule's URL
  // loses one trailing slash when it is made, so one that still ends in a
  // slash ("a.example//" made it) would come back another rule.
  const std::optional<ListRule> back = FilterRuleOf(line);
  const bool slashAtEnd = !url.empty() && (url.back() == '/' || url.back() == '\\');
  if (!back || slashAtEnd || back->url != rule.URL || back->subdomains != rule.MatchSubdomains) {
    return std::nullopt;
  }
  return line;
}

RuleListExport ExportRuleList(const Websites& websites, const LocalTime& today) {
  RuleListExport result;
  result.text.append("[Adblock Plus 2.0]").append(kLineEnd);
  result.text.append("! Title: Quellix always-kill rules").append(kLineEnd);
  result.text.append("! Last modified: ").append(DateText(today)).append(kLineEnd);
  for (const WebsiteGroup& group : websites) {
    for (const Website& rule : group) {
      if (rule.RuleType != kAlwaysKill && rule.RuleType != kAlwaysKillOld) continue;
      if (const std::optional<std::string> line = FilterLineOf(rule)) {
        result.text.append(*line).append(kLineEnd);
        ++result.written;
      } else {
        ++result.leftOut;
      }
    }
  }
  return result;
}

std::wstring ExportMessage(const RuleListExport& result) {
  std::wstring text = L"Exported " + NumberText(static_cast<std::int64_t>(result.written)) +
                      (result.written == 1 ? L" rule" : L" rules");
  if (result.leftOut > 0) {
    text += L"; " + NumberText(static_cast<std::int64_t>(result.leftOut)) +
            (result.leftOut == 1 ? L" could not be written as a filter rule"
                                 : L" could not be written as filter rules");
  }
  return text + L".";
}

}  // namespace qx
