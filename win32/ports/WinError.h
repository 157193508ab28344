#pragma once
// Win32 failures as the core's PlatformError.

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/PlatformError.h"

namespace qx::win {

// The system's text for an error code, without the trailing line break.
std::wstring SystemMessage(DWORD code);

// A failure of a Win32 call; code is the call's error (GetLastError()).
// File and folder errors carry the classic run-time numbers (53 file not
// found, 76 path not found, 70 permission denied, 58 file exists); any other
// code carries `fallback`.
PlatformError Win32Error(std::wstring_view source, DWORD code,
                         std::int32_t fallback = kErrDeviceIo);

// A failed COM call.
PlatformError ComError(std::wstring_view source, HRESULT hr);

}  // namespace qx::win
