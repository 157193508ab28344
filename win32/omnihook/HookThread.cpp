#include "HookThread.h"

namespace qx::win {
namespace {

constexpr UINT kSetHook = WM_APP + 1;
constexpr UINT kUnhook = WM_APP + 2;
// A thread that does not answer within this is taken for lost.
constexpr DWORD kAnswerMs = 5000;

}  // namespace

struct HookThread::Request {
  int kind = 0;
  HOOKPROC procedure = nullptr;
  HINSTANCE module = nullptr;
  HHOOK hook = nullptr;
  BOOL done = FALSE;
  HANDLE answered = nullptr;
};

HookThread::~HookThread() {
  End();
}

DWORD WINAPI HookThread::Main(void* ready) {
  MSG msg;
  // The queue exists before the starter is told the thread is there.
  PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  SetEvent(static_cast<HANDLE>(ready));
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    auto* request = reinterpret_cast<Request*>(msg.lParam);
    if (msg.hwnd == nullptr && request != nullptr &&
        (msg.message == kSetHook || msg.message == kUnhook)) {
      if (msg.message == kSetHook) {
        request->hook = SetWindowsHookExA(request->kind, request->procedure, request->module, 0);
      } else {
        request->done = UnhookWindowsHookEx(request->hook);
      }
      SetEvent(request->answered);
      continue;
    }
    DispatchMessageW(&msg);
  }
  return 0;
}

bool HookThread::Start() {
  if (thread_ != nullptr) return true;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (ready == nullptr) return false;
  thread_ = CreateThread(nullptr, 0, Main, ready, 0, &id_);
  const bool started = thread_ != nullptr && WaitForSingleObject(ready, kAnswerMs) == WAIT_OBJECT_0;
  CloseHandle(ready);
  if (!started) End();
  return started;
}

void HookThread::End() {
  if (thread_ == nullptr) return;
  // Ending the thread also removes any hook it still owns.
  PostThreadMessageW(id_, WM_QUIT, 0, 0);
  if (WaitForSingleObject(thread_, kAnswerMs) != WAIT_OBJECT_0) TerminateThread(thread_, 1);
  CloseHandle(thread_);
  thread_ = nullptr;
  id_ = 0;
  hooks_ = 0;
}

bool HookThread::Ask(Request& request) {
  request.answered = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (request.answered == nullptr) return false;
  const UINT message = request.procedure != nullptr ? kSetHook : kUnhook;
  const bool answered = PostThreadMessageW(id_, message, 0, reinterpret_cast<LPARAM>(&request)) &&
                        WaitForSingleObject(request.answered, kAnswerMs) == WAIT_OBJECT_0;
  CloseHandle(request.answered);
  // A request left unanswered must not be written to later: the thread goes.
  if (!answered) End();
  return answered;
}

HHOOK HookThread::Set(int kind, HOOKPROC procedure, HINSTANCE module) {
  if (procedure == nullptr || !Start()) return nullptr;
  Request request;
  request.kind = kind;
  request.procedure = procedure;
  request.module = module;
  if (!Ask(request) || request.hook == nullptr) {
    if (hooks_ == 0) End();
    return nullptr;
  }
  ++hooks_;
  return request.hook;
}

bool HookThread::Unhook(HHOOK hook) {
  if (thread_ == nullptr || hook == nullptr) return false;
  Request request;
  request.hook = hook;
  const bool done = Ask(request) && request.done;
  if (done && --hooks_ <= 0) End();
  return done;
}

}  // namespace qx::win
