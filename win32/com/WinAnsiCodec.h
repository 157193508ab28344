#pragma once
// The system's ANSI code page (CP_ACP).

#include "base/AnsiCodec.h"

namespace qx::win {

class WinAnsiCodec final : public AnsiCodec {
 public:
  // Characters the code page cannot hold become "?", without best-fit
  // look-alikes; a surrogate pair is one character and one "?".
  std::string Encode(std::wstring_view text) const override;
  std::wstring Decode(std::string_view bytes) const override;
};

}  // namespace qx::win
