#pragma once
// Who may call into the program's COM objects. The browser's tabs run at
// low integrity in Protected Mode and raise every browser and page event as
// a call into the program's sinks; COM refuses calls from a lower integrity
// level unless the process's security descriptor carries a low mandatory
// label with no-execute-up ("How the Integrity Mechanism Is Implemented in
// Windows Vista": COM "does not allow lower-integrity clients to bind to
// class instances running at a higher integrity level"; the label
// S:(ML;;NX;;;LW) is the one Microsoft's COM elevation documentation uses to
// let low-integrity clients in). Only this user and the system may call.

#include <string>
#include <string_view>

namespace qx::win {

// The descriptor in SDDL for a user's SID; the label only where the system
// knows integrity levels (Vista on).
std::wstring ComAccessSddl(std::wstring_view userSid, bool withIntegrityLabel);

// CoInitializeSecurity for the calling process with that descriptor: once,
// after COM is initialised and before any object crosses an apartment.
// Answers the HRESULT; a failure leaves COM's defaults.
long AllowCallsFromTheBrowsersTabs();

}  // namespace qx::win
