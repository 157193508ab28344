#include "win32/browser/CallFilter.h"

namespace qx::win {

DWORD STDMETHODCALLTYPE CallFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) {
  // Browser events are calls into the program: they are always taken.
  return SERVERCALL_ISHANDLED;
}

DWORD STDMETHODCALLTYPE CallFilter::RetryRejectedCall(HTASK, DWORD elapsed, DWORD rejection) {
  // A busy browser (SERVERCALL_RETRYLATER) is asked again a little later,
  // within the limit; a refusal is final. -1 cancels the call.
  if (rejection != SERVERCALL_RETRYLATER || elapsed >= limit_) return static_cast<DWORD>(-1);
  return 200;
}

DWORD STDMETHODCALLTYPE CallFilter::MessagePending(HTASK, DWORD elapsed, DWORD) {
  if (elapsed >= limit_) return PENDINGMSG_CANCELCALL;
  // One level only: a call made by a message run here waits without running
  // more, so that the nesting stays bounded.
  if (runMessages_ && depth_ == 0) {
    ++depth_;
    RunPostedMessages();
    --depth_;
  }
  // Input stays queued until the call is answered, as COM's default does:
  // a click must not act in the middle of the program's call.
  return PENDINGMSG_WAITNOPROCESS;
}

void CallFilter::RunPostedMessages() {
  MSG message;
  // Bounded: a handler that keeps posting must not keep the wait from
  // looking at its call again.
  for (int i = 0; i < 64; ++i) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE)) return;
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

namespace {

// Wakes the thread's wait once a second with an empty message posted to a
// window of its own: COM asks the filter only when a message arrives, and its
// wait does not wake for timers everywhere (Wine's waits for posted and sent
// messages only). A window, not the thread: modal loops (a menu's) must see
// nothing they would act on.
void CALLBACK Wake(void* window, BOOLEAN) {
  PostMessageW(static_cast<HWND>(window), WM_NULL, 0, 0);
}

HWND MakeWakeWindow() {
  WNDCLASSW type{};
  type.lpfnWndProc = DefWindowProcW;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = L"QuellixCallWake";
  RegisterClassW(&type);
  return CreateWindowW(type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                       type.hInstance, nullptr);
}

}  // namespace

CallFilterRegistration::CallFilterRegistration(DWORD limitMs) : filter_(new CallFilter(limitMs)) {
  CoRegisterMessageFilter(filter_, &previous_);
  window_ = MakeWakeWindow();
  if (window_ != nullptr) {
    CreateTimerQueueTimer(&tick_, nullptr, &Wake, window_, 1000, 1000, WT_EXECUTEINTIMERTHREAD);
  }
}

CallFilterRegistration::~CallFilterRegistration() {
  // Waits for a running tick to end.
  if (tick_ != nullptr) DeleteTimerQueueTimer(nullptr, tick_, INVALID_HANDLE_VALUE);
  if (window_ != nullptr) DestroyWindow(window_);
  IMessageFilter* ours = nullptr;
  CoRegisterMessageFilter(previous_, &ours);
  if (ours) ours->Release();
  if (previous_) previous_->Release();
  filter_->Release();
}

}  // namespace qx::win
