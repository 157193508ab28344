// The container site as a control sees it: its interfaces, its window and
// the ambient properties.

#include <windows.h>
// windows.h first: the OLE headers need their types.
#include <ole2.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include "win32/program/ControlSite.h"

namespace qx::win {
namespace {

TEST(ControlSiteTest, AnswersAsAContainerOnItsHostWindow) {
  HWND host =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  auto* site = new ControlSite(host);
  IOleInPlaceSite* inPlace = nullptr;
  ASSERT_EQ(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace)), S_OK);
  HWND window = nullptr;
  EXPECT_EQ(inPlace->GetWindow(&window), S_OK);
  EXPECT_EQ(window, host);
  EXPECT_EQ(inPlace->CanInPlaceActivate(), S_OK);
  IOleInPlaceFrame* frame = reinterpret_cast<IOleInPlaceFrame*>(1);
  IOleInPlaceUIWindow* doc = reinterpret_cast<IOleInPlaceUIWindow*>(1);
  RECT position{1, 1, 1, 1};
  RECT clip{1, 1, 1, 1};
  OLEINPLACEFRAMEINFO info{};
  info.cb = sizeof info;
  EXPECT_EQ(inPlace->GetWindowContext(&frame, &doc, &position, &clip, &info), S_OK);
  EXPECT_EQ(frame, nullptr);
  EXPECT_EQ(doc, nullptr);
  EXPECT_EQ(info.hwndFrame, host);
  EXPECT_EQ(inPlace->OnInPlaceActivate(), S_OK);
  EXPECT_TRUE(site->InPlaceActive());
  EXPECT_EQ(inPlace->OnInPlaceDeactivate(), S_OK);
  EXPECT_FALSE(site->InPlaceActive());

  // Every interface answers for the same object.
  IUnknown* a = nullptr;
  IUnknown* b = nullptr;
  IOleControlSite* control = nullptr;
  ASSERT_EQ(inPlace->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a)), S_OK);
  ASSERT_EQ(site->QueryInterface(IID_IOleControlSite, reinterpret_cast<void**>(&control)), S_OK);
  ASSERT_EQ(control->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b)), S_OK);
  EXPECT_EQ(a, b);
  void* none = nullptr;
  EXPECT_EQ(site->QueryInterface(IID_IOleInPlaceFrame, &none), E_NOINTERFACE);

  IDispatch* ambient = nullptr;
  ASSERT_EQ(site->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient)), S_OK);
  DISPPARAMS noArgs{nullptr, nullptr, 0, 0};
  VARIANT v;
  VariantInit(&v);
  EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &noArgs, &v,
                            nullptr, nullptr),
            S_OK);
  EXPECT_EQ(v.vt, VT_BOOL);
  EXPECT_EQ(v.boolVal, VARIANT_TRUE) << "the control runs, it is not being designed";
  EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_UIDEAD, IID_NULL, 0, DISPATCH_PROPERTYGET, &noArgs, &v,
                            nullptr, nullptr),
            S_OK);
  EXPECT_EQ(v.boolVal, VARIANT_FALSE);
  EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_LOCALEID, IID_NULL, 0, DISPATCH_PROPERTYGET, &noArgs, &v,
                            nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);

  for (IUnknown* p : {static_cast<IUnknown*>(inPlace), a, b, static_cast<IUnknown*>(control),
                      static_cast<IUnknown*>(ambient)})
    p->Release();
  EXPECT_EQ(site->Release(), 0u) << "the last reference frees the site";
  DestroyWindow(host);
}

}  // namespace
}  // namespace qx::win
