#pragma once
// The system ANSI code page: one byte per character in the binary files.
// Characters the code page cannot hold become "?".

#include <string>
#include <string_view>

namespace qx {

class AnsiCodec {
 public:
  virtual ~AnsiCodec() = default;
  virtual std::string Encode(std::wstring_view text) const = 0;
  virtual std::wstring Decode(std::string_view bytes) const = 0;
};

// Windows-1252, the code page of the simulated desktop and of Western
// European Windows installations.
class Windows1252Codec final : public AnsiCodec {
 public:
  std::string Encode(std::wstring_view text) const override;
  std::wstring Decode(std::string_view bytes) const override;
};

}  // namespace qx
