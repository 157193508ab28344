#include "ControlTestSupport.h"

#include <gtest/gtest.h>

namespace qx::win::test {

std::wstring TestFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

std::wstring ControlPath() {
  return TestFolder() + L"\\Omnihook.ocx";
}

std::wstring ControlWithoutLibraryPath() {
  return TestFolder() + L"\\..\\hook-nolib\\Omnihook.ocx";
}

HMODULE LoadControlFile(const std::wstring& path) {
  // Every load counts once more and none is undone: the file stays.
  return LoadLibraryW(path.c_str());
}

ComPtr<IDispatch> CreateControl(HMODULE module) {
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto get = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")));
  ComPtr<IClassFactory> factory;
  ComPtr<IDispatch> control;
  if (get == nullptr || FAILED(get(CLSID_OmnihookControl, IID_PPV_ARGS(&factory)))) return control;
  factory->CreateInstance(nullptr, IID_PPV_ARGS(&control));
  return control;
}

HWND ControlWindow(IUnknown* control) {
  ComPtr<IOleWindow> window;
  HWND hwnd = nullptr;
  if (SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&window)))) window->GetWindow(&hwnd);
  return hwnd;
}

HRESULT Call(IDispatch* control, DISPID id, std::vector<VARIANT> args, EXCEPINFO* exception,
             UINT* argError) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                    static_cast<UINT>(reversed.size()), 0};
  return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                         exception, argError);
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= end) return false;
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait < 50 ? wait : 50),
                              QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

void PumpQueued() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

HRESULT EventRecorder::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID___OmnihookControl) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG EventRecorder::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT EventRecorder::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}

HRESULT EventRecorder::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                              EXCEPINFO*, UINT*) {
  RecordedEvent event;
  event.id = id;
  for (UINT i = params->cArgs; i-- > 0;) {
    const VARIANTARG& arg = params->rgvarg[i];
    event.types.push_back(arg.vt);
    if (arg.vt == (VT_BYREF | VT_I4)) event.numbers.push_back(*arg.plVal);
    if (arg.vt == (VT_BYREF | VT_BSTR)) {
      event.text.assign(*arg.pbstrVal, SysStringLen(*arg.pbstrVal));
    }
  }
  events.push_back(event);
  return S_OK;
}

std::vector<RecordedEvent> EventRecorder::Of(DISPID id) const {
  std::vector<RecordedEvent> found;
  for (const auto& event : events) {
    if (event.id == id) found.push_back(event);
  }
  return found;
}

ComPtr<EventRecorder> Connect(IUnknown* control, DWORD* cookie) {
  ComPtr<EventRecorder> recorder;
  recorder.Attach(new EventRecorder);
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  DWORD connection = 0;
  EXPECT_HRESULT_SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&container)));
  EXPECT_HRESULT_SUCCEEDED(container->FindConnectionPoint(DIID___OmnihookControl, &point));
  EXPECT_HRESULT_SUCCEEDED(point->Advise(recorder.Get(), &connection));
  if (cookie != nullptr) *cookie = connection;
  return recorder;
}

void RegisterTestClass(const wchar_t* className) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassW(&windowClass);  // a second registration fails harmlessly
}

HWND MakeWindow(const wchar_t* caption, HWND parent, DWORD style, const wchar_t* className) {
  RegisterTestClass(className);
  return CreateWindowExW(0, className, caption, style, 0, 0, 100, 100, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

VARIANT BoolArg(bool value) {
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_BOOL;
  arg.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return arg;
}

VARIANT IntArg(LONG value) {
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_I4;
  arg.lVal = value;
  return arg;
}

VARIANT Omitted() {
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_ERROR;
  arg.scode = DISP_E_PARAMNOTFOUND;
  return arg;
}

}  // namespace qx::win::test
