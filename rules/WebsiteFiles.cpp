#include "rules/WebsiteFiles.h"

#include <optional>

#include "base/Text.h"

namespace qx {
namespace {

std::optional<ServerListEntry> ParseServerLine(std::wstring_view rawLine) {
  const std::wstring line = Trim(rawLine);
  ServerListEntry entry;
  std::wstring rest;
  if (!line.empty() && line.front() == L'"') {
    const auto close = line.find(L'"', 1);
    if (close == std::wstring::npos) return std::nullopt;
    entry.site = line.substr(1, close - 1);
    rest = Trim(std::wstring_view(line).substr(close + 1));
    if (rest.empty() || rest.front() != L',') return std::nullopt;
    rest.erase(0, 1);
  } else {
    const auto comma = line.rfind(L',');
    if (comma == std::wstring::npos) return std::nullopt;
    entry.site = Trim(std::wstring_view(line).substr(0, comma));
    rest = line.substr(comma + 1);
  }
  rest = Trim(rest);
  if (EqualsNoCase(rest, L"#TRUE#")) {
    entry.disallow = true;
  } else if (!EqualsNoCase(rest, L"#FALSE#")) {
    return std::nullopt;
  }
  if (Trim(entry.site).empty()) return std::nullopt;
  return entry;
}

}  // namespace

std::vector<ServerListEntry> ParseServerList(std::wstring_view text) {
  std::vector<ServerListEntry> entries;
  while (!text.empty()) {
    const auto end = text.find_first_of(L"\r\n");
    const std::wstring_view line = text.substr(0, end);
    text = end == std::wstring_view::npos ? std::wstring_view() : text.substr(end + 1);
    if (auto entry = ParseServerLine(line)) entries.push_back(std::move(*entry));
  }
  return entries;
}

}  // namespace qx
