#pragma once
// A copy of one error, made at the moment it is caught.

#include <cstdint>
#include <string>

#include "platform/PlatformError.h"

namespace qx {

struct pError {
  std::wstring Description;
  std::int32_t Number = 0;  // 0: the error carries no number
  std::wstring Source;
};

inline pError MakeError(std::wstring description, std::int32_t number, std::wstring source) {
  return pError{std::move(description), number, std::move(source)};
}

inline pError MakeError(const PlatformError& e) {
  return MakeError(e.Description(), e.Number(), e.Source());
}

}  // namespace qx
