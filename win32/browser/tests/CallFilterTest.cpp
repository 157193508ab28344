// The thread's message filter against a COM object in another process that
// stops answering: the call is cancelled as a normal failure, and the
// thread's own timers run while it waits.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "win32/browser/CallFilter.h"

namespace qx::win {
namespace {

std::wstring HostPath(const char* unix) {
  std::wstring path = L"Z:";
  for (const char* c = unix; *c != 0; ++c)
    path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path;
}

// The other process and the object it handed out.
class HungServer {
 public:
  HungServer() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    file_ = std::wstring(folder) + L"qx-hung-" + std::to_wstring(GetCurrentProcessId()) + L".bin";
    DeleteFileW(file_.c_str());
    std::wstring command = L"\"" + HostPath(QX_HUNG_SERVER) + L"\" \"" + file_ + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_)) {
      return;
    }
    for (int i = 0; i < 300 && GetFileAttributesW(file_.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
      Sleep(100);
  }
  ~HungServer() {
    if (object_) object_->Release();
    if (process_.hProcess) {
      TerminateProcess(process_.hProcess, 0);
      WaitForSingleObject(process_.hProcess, 10000);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    DeleteFileW(file_.c_str());
  }
  IDispatch* Object() {
    std::ifstream in(std::string(file_.begin(), file_.end()), std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    if (bytes.empty()) return nullptr;
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return nullptr;
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    CoUnmarshalInterface(stream, IID_IDispatch, reinterpret_cast<void**>(&object_));
    stream->Release();
    return object_;
  }

 private:
  std::wstring file_;
  PROCESS_INFORMATION process_{};
  IDispatch* object_ = nullptr;
};

HRESULT Call(IDispatch* object, DISPID id) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr,
                        nullptr);
}

int ticks = 0;
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  ++ticks;
}

TEST(CallFilterTest, ACallThatGetsNoAnswerIsCancelledWhileTheThreadsTimersRun) {
  HungServer server;
  IDispatch* object = server.Object();
  ASSERT_NE(object, nullptr) << "the server process did not hand out its object";
  CallFilterRegistration filter(1500);
  ASSERT_EQ(Call(object, 1), S_OK);  // it answers while it is not busy

  ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, &Tick);
  EXPECT_EQ(Call(object, 2), RPC_E_CALL_CANCELED);
  KillTimer(nullptr, timer);
  EXPECT_GT(ticks, 0) << "the program's own timers stood still during the call";
}

TEST(CallFilterTest, ABusyCalleeIsAskedAgainWithinTheLimitOnly) {
  CallFilter* filter = new CallFilter(1000);
  EXPECT_EQ(filter->RetryRejectedCall(nullptr, 100, SERVERCALL_RETRYLATER), 200u);
  EXPECT_EQ(filter->RetryRejectedCall(nullptr, 1000, SERVERCALL_RETRYLATER),
            static_cast<DWORD>(-1));
  EXPECT_EQ(filter->RetryRejectedCall(nullptr, 100, SERVERCALL_REJECTED), static_cast<DWORD>(-1));
  EXPECT_EQ(filter->MessagePending(nullptr, 1000, PENDINGTYPE_TOPLEVEL),
            static_cast<DWORD>(PENDINGMSG_CANCELCALL));
  EXPECT_EQ(filter->HandleInComingCall(CALLTYPE_TOPLEVEL, nullptr, 0, nullptr),
            static_cast<DWORD>(SERVERCALL_ISHANDLED));
  filter->Release();
}

int ownMessages = 0;
LRESULT CALLBACK Counting(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP + 7) ++ownMessages;
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST(CallFilterTest, WhileACallWaitsOwnMessagesRunAndAQuitIsKept) {
  WNDCLASSW type{};
  type.lpfnWndProc = &Counting;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = L"QuellixCallFilterTest";
  RegisterClassW(&type);
  const HWND window = CreateWindowW(type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    type.hInstance, nullptr);
  MSG stale;
  while (PeekMessageW(&stale, nullptr, 0, 0, PM_REMOVE)) {
  }
  CallFilter* filter = new CallFilter(1000);
  ownMessages = 0;
  PostMessageW(window, WM_APP + 7, 0, 0);
  PostQuitMessage(3);
  EXPECT_EQ(filter->MessagePending(nullptr, 10, PENDINGTYPE_TOPLEVEL),
            static_cast<DWORD>(PENDINGMSG_WAITNOPROCESS));
  EXPECT_EQ(ownMessages, 1);
  MSG message{};
  EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 3u) << "the loop that waits for the quit must still see it";
  DestroyWindow(window);
  filter->Release();
}

}  // namespace
}  // namespace qx::win
