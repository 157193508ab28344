#include "win32/browser/ComShellWindows.h"

#include <exdispid.h>

#include "win32/browser/ComBrowser.h"

namespace qx::win {
namespace {

void NeedList(const ComPtr<IShellWindows>& windows, const wchar_t* call) {
  if (!windows)
    throw PlatformError(kErrAutomation, L"The shell's window list is not available", call);
}

}  // namespace

std::unique_ptr<ComShellWindows> ComShellWindows::Create() {
  ComPtr<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&windows)))) {
    windows.Reset();
  }
  return std::make_unique<ComShellWindows>(std::move(windows));
}

int ComShellWindows::Count() {
  NeedList(windows_, L"ShellWindows.Count");
  LONG count = 0;
  const HRESULT hr = windows_->get_Count(&count);
  if (hr == E_NOTIMPL) return 0;
  Check(hr, L"ShellWindows.Count");
  return count < 0 ? 0 : static_cast<int>(count);
}

std::shared_ptr<Browser> ComShellWindows::Item(int index) {
  NeedList(windows_, L"ShellWindows.Item");
  Variant at;
  Variant::SetInt(*at.get(), index);
  ComPtr<IDispatch> object;
  const HRESULT hr = windows_->Item(*at.get(), &object);
  // Past the end (S_FALSE) or a shell that cannot say: no browser there.
  if (hr == E_NOTIMPL || hr == S_FALSE) return nullptr;
  Check(hr, L"ShellWindows.Item");
  return ComBrowser::From(object.Get());
}

std::unique_ptr<Connection> ComShellWindows::Connect(ShellWindowEvents& sink) {
  NeedList(windows_, L"ShellWindows.Connect");
  return Advise(windows_.Get(), MakeCom<ShellWindowsEventSink>(sink), L"ShellWindows.Connect");
}

ShellWindowsEventSink::ShellWindowsEventSink(ShellWindowEvents& events)
    : EventSink(DIID_DShellWindowsEvents), events_(&events) {}

HRESULT ShellWindowsEventSink::Handle(DISPID id, const DISPPARAMS& params, VARIANT*, UINT* bad) {
  if (id != DISPID_WINDOWREGISTERED && id != DISPID_WINDOWREVOKED) return S_OK;
  if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
  const auto cookie = IntOf(Arg(params, 0));
  if (!cookie) return BadArgument(params, 0, bad);
  if (!events_) return S_OK;
  if (id == DISPID_WINDOWREGISTERED) {
    events_->WindowRegistered(*cookie);
  } else {
    events_->WindowRevoked(*cookie);
  }
  return S_OK;
}

}  // namespace qx::win
