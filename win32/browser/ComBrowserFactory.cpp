#include "win32/browser/ComBrowserFactory.h"

#include <exdisp.h>

#include "win32/browser/CatcherSite.h"
#include "win32/browser/ComBrowser.h"

namespace qx::win {

std::shared_ptr<Browser> ComBrowserFactory::NewBrowserWindow() {
  ComPtr<IWebBrowser2> browser;
  // The application window starts hidden; whoever asked shows it.
  Check(CoCreateInstance(CLSID_InternetExplorer, nullptr, CLSCTX_LOCAL_SERVER,
                         IID_PPV_ARGS(&browser)),
        L"BrowserFactory.NewBrowserWindow");
  return std::make_shared<ComBrowser>(std::move(browser));
}

std::shared_ptr<Browser> ComBrowserFactory::CreateHiddenBrowserControl() {
  HostedControl control = HostBrowserControl(owner_);
  return std::make_shared<ComBrowser>(std::move(control.browser), std::move(control.host));
}

}  // namespace qx::win
