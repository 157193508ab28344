#pragma once
// What the control's tests share: loading the server file directly, a sink
// that records the control's events, a message pump and test windows.

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>
#include <wrl/client.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "Omnihook.h"

namespace qx::win::test {

using Microsoft::WRL::ComPtr;

inline constexpr UINT kNotifyDialog = WM_APP + 1;
inline constexpr UINT kNotifyText = WM_APP + 2;
inline constexpr UINT kNotifyButtonDown = WM_APP + 3;
inline constexpr UINT kNotifyButtonUp = WM_APP + 4;

enum : DISPID {
  kGetTextMsg = 1,
  kNewWebDialog = 2,
  kLeftButtonDown = 3,
  kLeftButtonUp = 4,
  kNewWebDialogAdvise = 5,
};

// The folder of the test program, where the build puts the control and
// catchwire.dll; the control without the library lies in ..\hook-nolib.
std::wstring TestFolder();
std::wstring ControlPath();
std::wstring ControlWithoutLibraryPath();

// The control file, loaded for the rest of the run (a module is never freed
// while its objects may live).
HMODULE LoadControlFile(const std::wstring& path);
// A new control from the file's class object, as its IDispatch.
ComPtr<IDispatch> CreateControl(HMODULE module);
HWND ControlWindow(IUnknown* control);

// Invokes a method by DISPID with the given arguments (in calling order).
HRESULT Call(IDispatch* control, DISPID id, std::vector<VARIANT> args = {},
             EXCEPINFO* exception = nullptr, UINT* argError = nullptr);

// Delivers this thread's messages until done() holds or the time is up;
// answers done().
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
// Delivers every message already queued.
void PumpQueued();

struct RecordedEvent {
  DISPID id = 0;
  std::vector<VARTYPE> types;  // in calling order
  std::vector<LONG> numbers;   // the VT_I4 arguments, in order
  std::wstring text;           // the BSTR argument
};

// A sink for the event interface, counted like any COM object.
class EventRecorder final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argError) override;

  std::vector<RecordedEvent> events;
  std::vector<RecordedEvent> Of(DISPID id) const;

 private:
  ULONG references_ = 1;
};

// Connects a new recorder to the control's connection point.
ComPtr<EventRecorder> Connect(IUnknown* control, DWORD* cookie = nullptr);

// A plain top-level (or owned, or child) window of this process.
HWND MakeWindow(const wchar_t* caption, HWND parent = nullptr, DWORD style = WS_OVERLAPPED,
                const wchar_t* className = L"QxTestWindow");
// Registers a window class of this name (once) with the default procedure.
void RegisterTestClass(const wchar_t* className);

VARIANT BoolArg(bool value);
VARIANT IntArg(LONG value);
VARIANT Omitted();

}  // namespace qx::win::test
