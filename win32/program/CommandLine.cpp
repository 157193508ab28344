#include "win32/program/CommandLine.h"

namespace qx::win {

std::wstring CommandArguments(std::wstring_view line) {
  std::size_t i = 0;
  while (i < line.size() && (line[i] == L' ' || line[i] == L'\t'))
    ++i;
  if (i < line.size() && line[i] == L'"') {
    const std::size_t close = line.find(L'"', i + 1);
    if (close == std::wstring_view::npos) return {};
    i = close + 1;
  } else {
    while (i < line.size() && line[i] != L' ' && line[i] != L'\t')
      ++i;
  }
  return std::wstring(line.substr(i));
}

}  // namespace qx::win
