#pragma once
// The thread's COM message filter. Every call into a browser is a call into
// another process, and COM's thread waits for its answer; a browser that
// does not answer would hold the program's only thread for good. While a
// call waits, the program's own posted messages and timers keep running,
// and a call that gets no answer within the time limit is cancelled: it
// fails (RPC_E_CALL_CANCELED) like any failing port call, and the core
// skips the step.

#include <objidl.h>
#include <windows.h>

#include "win32/com/ComObject.h"

namespace qx::win {

class CallFilter final : public ComObject<IMessageFilter> {
 public:
  static constexpr DWORD kDefaultLimitMs = 5000;
  explicit CallFilter(DWORD limitMs = kDefaultLimitMs) : limit_(limitMs) {}
  // Whether the thread's posted messages run while a call waits: not while
  // the program is starting, whose handlers expect a loaded main form.
  void SetRunMessages(bool on) { runMessages_ = on; }
  CallFilter(const CallFilter&) = delete;
  CallFilter& operator=(const CallFilter&) = delete;

  // IMessageFilter
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD type, HTASK caller, DWORD elapsed,
                                             LPINTERFACEINFO info) override;
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD elapsed, DWORD rejection) override;
  DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD elapsed, DWORD pending) override;

 private:
  ~CallFilter() override = default;
  // Runs the posted messages and timers waiting now; a quit message among
  // them is put back for the loop that waits for it.
  void RunPostedMessages();

  DWORD limit_;
  bool runMessages_ = true;
  int depth_ = 0;
};

// A CallFilter registered on the calling thread (an OLE single-threaded
// apartment) for the life of the answer, with a one-second tick (an empty
// message posted to the thread) that gives COM's wait a message to ask the
// filter about; the filter that was there before comes back afterwards.
class CallFilterRegistration {
 public:
  explicit CallFilterRegistration(DWORD limitMs = CallFilter::kDefaultLimitMs);
  ~CallFilterRegistration();
  CallFilterRegistration(const CallFilterRegistration&) = delete;
  CallFilterRegistration& operator=(const CallFilterRegistration&) = delete;
  CallFilter& Filter() { return *filter_; }

 private:
  CallFilter* filter_;
  IMessageFilter* previous_ = nullptr;
  HWND window_ = nullptr;
  HANDLE tick_ = nullptr;
};

}  // namespace qx::win
