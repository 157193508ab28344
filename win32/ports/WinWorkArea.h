#pragma once

#include "platform/UiServices.h"

namespace qx::win {

class WinWorkArea final : public WorkArea {
 public:
  Rect Get() override;
};

}  // namespace qx::win
