#pragma once
// The system's ANSI code page, for captions read with GetWindowTextA.

#include "base/AnsiCodec.h"

namespace qx::win {

class SystemAnsiCodec final : public AnsiCodec {
 public:
  std::string Encode(std::wstring_view text) const override;
  std::wstring Decode(std::string_view bytes) const override;
};

}  // namespace qx::win
