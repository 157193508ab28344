#pragma once
// What every simulated browser and DOM object reaches the desktop through.
// The world empties it when it goes, so that objects the program still holds
// then answer as disconnected COM objects do.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/Text.h"
#include "platform/PlatformError.h"
#include "sim/FailureInjector.h"
#include "sim/SimWindowManager.h"

namespace qx::sim {

class SimBrowsers;

// RPC_E_CANTCALLOUT_ININPUTSYNCCALL.
inline constexpr std::int32_t kRpcCantCallOutInInputSyncCall =
    static_cast<std::int32_t>(0x8001010Du);

struct SimBrowserContext {
  FailureInjector* failures = nullptr;
  SimWindowManager* windows = nullptr;
  SimBrowsers* world = nullptr;
  bool Alive() const { return world != nullptr; }
  // COM refuses a call into another process while the calling thread
  // handles a message another thread sent and has not answered it
  // ("Call Synchronization" and IMessageFilter in Microsoft's COM
  // documentation: such calls would need the message loop the sender is
  // blocked in). Objects of the program's own process are called directly.
  void CheckCallOut(std::string_view call, ProcessId target) const {
    if (windows == nullptr || !windows->InsideUnansweredSend()) return;
    if (target != 0 && target == windows->CurrentProcess()) return;
    throw PlatformError(kRpcCantCallOutInInputSyncCall,
                        L"An outgoing call cannot be made since the application is dispatching "
                        L"an input-synchronous call.",
                        FromUtf8(call));
  }
};

// "Object doesn't support this property or method": a late-bound call of a
// property the element does not have.
inline constexpr std::int32_t kErrNoSuchProperty = 438;

// A call on an object whose window or page is gone.
[[noreturn]] inline void ThrowDisconnected(std::string_view call) {
  throw PlatformError(kErrAutomation, L"The object invoked has disconnected from its clients.",
                      FromUtf8(call));
}

[[noreturn]] inline void ThrowUnsupported(std::string_view call) {
  throw PlatformError(kErrNoSuchProperty, L"Object doesn't support this property or method",
                      FromUtf8(call));
}

// A step of the simulated world that cannot be taken (an element that is not
// on a shown page, a browser that has closed): the scenario is wrong, not the
// program.
class SimUsageError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

}  // namespace qx::sim
