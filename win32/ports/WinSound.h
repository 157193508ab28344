#pragma once

#include "platform/UiServices.h"

namespace qx::win {

class WinSound final : public Sound {
 public:
  bool Play(std::wstring_view fileName, std::uint32_t flags) override;
};

}  // namespace qx::win
