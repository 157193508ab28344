#pragma once
// One window rule.

#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

// Status: the caption contains the rule's text, or equals it; both ignore
// letter case. Other values are kept but never match.
inline constexpr std::int32_t kCaptionContains = 1;
inline constexpr std::int32_t kCaptionEquals = 2;
// The program key of the rules for every program.
inline constexpr std::wstring_view kAllPrograms = L"_general";

struct Window {
  Window(std::wstring caption, std::wstring program, std::int32_t status)
      : Caption(std::move(caption)), Program(std::move(program)), Status(status) {}

  // Trimmed, in the letter case it was entered in.
  const std::wstring Caption;
  // The lower-case path of the program's file, or "_general".
  const std::wstring Program;
  const std::int32_t Status;
};

}  // namespace qx
