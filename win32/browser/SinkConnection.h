#pragma once
// A sink advised on a browser object's connection point, as the core's
// Connection: destroying it detaches the sink and unadvises.

#include <memory>
#include <string_view>

#include "platform/Connection.h"
#include "win32/browser/ComSupport.h"
#include "win32/com/EventSink.h"

namespace qx::win {

// Advises sink on source's connection point for its event interface; the
// connection detaches the sink and unadvises when destroyed. Throws
// PlatformError when the source has no such connection point.
std::unique_ptr<Connection> Advise(IUnknown* source, ComPtr<EventSink> sink,
                                   std::wstring_view call);

}  // namespace qx::win
