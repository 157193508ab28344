#include "sim/SimPageScript.h"

#include <stdexcept>

#include "base/Text.h"

namespace qx::sim {
namespace {

std::wstring TrimBlanks(std::wstring_view text) {
  const std::size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos) return {};
  const std::size_t last = text.find_last_not_of(L" \t");
  return std::wstring(text.substr(first, last - first + 1));
}

std::vector<std::wstring> SplitStatements(std::wstring_view text) {
  std::vector<std::wstring> parts;
  std::wstring current;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (quoted && c == L'\\' && i + 1 < text.size()) {
      current.push_back(c);
      current.push_back(text[++i]);
      continue;
    }
    if (c == L'"') quoted = !quoted;
    if (c == L';' && !quoted) {
      parts.push_back(std::move(current));
      current.clear();
      continue;
    }
    current.push_back(c);
  }
  parts.push_back(std::move(current));
  return parts;
}

std::wstring Unquote(const std::wstring& text) {
  if (text.size() < 2 || text.front() != L'"' || text.back() != L'"') return text;
  std::wstring out;
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == L'\\' && i + 2 < text.size()) ++i;
    out.push_back(text[i]);
  }
  return out;
}

[[noreturn]] void Bad(const std::wstring& statement) {
  throw std::invalid_argument("unknown page script statement: " + ToUtf8(statement));
}

}  // namespace

std::vector<PageStatement> ParsePageScript(std::wstring_view text) {
  std::vector<PageStatement> statements;
  for (const std::wstring& part : SplitStatements(text)) {
    const std::wstring statement = TrimBlanks(part);
    if (statement.empty()) continue;
    const std::size_t blank = statement.find_first_of(L" \t");
    const std::wstring word = LowerCase(statement.substr(0, blank));
    const std::wstring argument =
        blank == std::wstring::npos ? std::wstring() : TrimBlanks(statement.substr(blank));
    PageStatement s;
    if (word == L"open") {
      s.kind = PageStatement::Kind::Open;
    } else if (word == L"go") {
      s.kind = PageStatement::Kind::Go;
    } else if (word == L"dialog") {
      s.kind = PageStatement::Kind::Dialog;
    } else if (word == L"cancel" && argument.empty()) {
      s.kind = PageStatement::Kind::Cancel;
    } else {
      Bad(statement);
    }
    if (s.kind == PageStatement::Kind::Dialog) {
      s.argument = Unquote(argument);
    } else if (s.kind != PageStatement::Kind::Cancel) {
      if (argument.empty()) Bad(statement);
      s.argument = argument;
    }
    statements.push_back(std::move(s));
  }
  return statements;
}

}  // namespace qx::sim
