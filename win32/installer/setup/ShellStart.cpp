#include "win32/installer/setup/ShellStart.h"

#include <windows.h>
// windows.h first: the shell headers need its types.
#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shobjidl.h>
#include <wrl/client.h>

namespace qx::setup {
namespace {

using Microsoft::WRL::ComPtr;

// The desktop shell's own Shell.Application object, reached through the
// desktop's view; CoCreateInstance would make one inside this process. The
// road, each step as Microsoft documents it:
// - IShellWindows::FindWindowSW with SWC_DESKTOP and SWFO_NEEDDISPATCH
//   (learn.microsoft.com/windows/win32/api/exdisp/nf-exdisp-ishellwindows-findwindowsw);
//   S_FALSE: no shell desktop window;
// - its IServiceProvider gives the top-level IShellBrowser, whose
//   QueryActiveShellView is the desktop's IShellView;
// - IShellView::GetItemObject(SVGIO_BACKGROUND, IID_IDispatch) "gets a
//   dispatch interface that represents the ShellFolderView object for the
//   view" (.../api/shobjidl_core/ne-shobjidl_core-_svgio);
// - IShellFolderViewDual::get_Application is the Shell object
//   (.../api/shldisp/nn-shldisp-ishellfolderviewdual), whose
//   IShellDispatch2::ShellExecute runs in the shell's process
//   (.../windows/win32/shell/ishelldispatch2-shellexecute).
ComPtr<IShellDispatch2> DesktopShell() {
  ComPtr<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                              IID_PPV_ARGS(&windows)))) {
    return nullptr;
  }
  VARIANT nowhere{};
  VariantInit(&nowhere);
  long window = 0;
  ComPtr<IDispatch> desktop;
  if (windows->FindWindowSW(&nowhere, &nowhere, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                            &desktop) != S_OK ||
      !desktop) {
    return nullptr;
  }
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background, application;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(desktop.As(&services)) ||
      FAILED(services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&browser))) ||
      FAILED(browser->QueryActiveShellView(&view)) || !view ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(&background))) ||
      FAILED(background.As(&folderView)) || FAILED(folderView->get_Application(&application)) ||
      !application || FAILED(application.As(&shell))) {
    return nullptr;
  }
  return shell;
}

VARIANT Text(const std::wstring& text) {
  VARIANT v{};
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text.c_str());
  return v;
}

bool StartThroughShell(IShellDispatch2& shell, const std::wstring& program,
                       const std::wstring& folder) {
  BSTR file = SysAllocString(program.c_str());
  VARIANT arguments = Text(L""), directory = Text(folder), verb = Text(L"open");
  VARIANT show{};
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  const HRESULT hr = shell.ShellExecute(file, arguments, directory, verb, show);
  SysFreeString(file);
  for (VARIANT* v : {&arguments, &directory, &verb})
    VariantClear(v);
  return SUCCEEDED(hr);
}

bool StartDirectly(const std::wstring& program, const std::wstring& folder) {
  std::wstring line = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

}  // namespace

StartRoute StartAsDesktopUser(const std::wstring& program, const std::wstring& folder) {
  // The installer's thread may have COM already (S_FALSE) or in another
  // apartment model; either way the calls below work, and only a successful
  // initialisation of our own is undone.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  StartRoute route = StartRoute::Failed;
  {
    const ComPtr<IShellDispatch2> shell = DesktopShell();
    if (shell) {
      if (StartThroughShell(*shell.Get(), program, folder)) route = StartRoute::Shell;
    } else if (StartDirectly(program, folder)) {
      // No shell desktop (another shell, a session without Explorer): the
      // plain start is the only one there is.
      route = StartRoute::Direct;
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return route;
}

}  // namespace qx::setup
