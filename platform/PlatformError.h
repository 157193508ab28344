#pragma once
// A failure of the outside world: a vanished window, a browser that does not
// answer, a file that cannot be read. Port calls throw it; the core catches
// it per step and goes on with the next one.

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace qx {

class PlatformError : public std::exception {
 public:
  PlatformError(std::int32_t number, std::wstring description, std::wstring source = L"")
      : number_(number), description_(std::move(description)), source_(std::move(source)) {}
  const char* what() const noexcept override { return "platform call failed"; }
  std::int32_t Number() const { return number_; }
  const std::wstring& Description() const { return description_; }
  const std::wstring& Source() const { return source_; }

 private:
  std::int32_t number_;
  std::wstring description_;
  std::wstring source_;
};

// Error numbers the core raises itself (the classic run-time numbers, so that
// the error log reads as users of such programs expect).
inline constexpr std::int32_t kErrFileNotFound = 53;
inline constexpr std::int32_t kErrFileExists = 58;
inline constexpr std::int32_t kErrPermissionDenied = 70;
inline constexpr std::int32_t kErrPathNotFound = 76;
inline constexpr std::int32_t kErrBadFileName = 52;
inline constexpr std::int32_t kErrDeviceIo = 57;
inline constexpr std::int32_t kErrObjectRequired = 424;
inline constexpr std::int32_t kErrAutomation = 440;
inline constexpr std::int32_t kErrInvalidCall = 5;

// Runs one step; a PlatformError ends only that step. Answers whether the
// step ran to its end.
template <class F>
bool Step(F&& f) {
  try {
    std::forward<F>(f)();
    return true;
  } catch (const PlatformError&) {
    return false;
  }
}

}  // namespace qx
