// The control on a minimal OLE control site: in-place activation in its own
// 495-twip button, the extent that never changes, deactivation.

#include <gtest/gtest.h>

#include "ControlTestSupport.h"

namespace qx::win::test {
namespace {

// A form's site: in-place activation in `window` at `position`.
class TestSite final : public IOleClientSite, public IOleInPlaceSite {
 public:
  TestSite(HWND window, RECT position) : window_(window), position_(position) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    *moniker = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
    *container = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
    ++activations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                             LPRECT position, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO) override {
    *frame = nullptr;
    *doc = nullptr;
    *position = position_;
    *clip = position_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
    ++deactivations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  int activations = 0;
  int deactivations = 0;

 private:
  ULONG references_ = 1;
  HWND window_;
  RECT position_;
};

// Shown as far as the button itself goes (the form stays hidden).
bool Shown(HWND window) {
  return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

int ExpectedPixels() {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return MulDiv(495, dpi, 1440);
}

class HostingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
    control_ = CreateControl(LoadControlFile(ControlPath()));
    ASSERT_NE(control_, nullptr);
    ASSERT_HRESULT_SUCCEEDED(control_.As(&object_));
    // Hidden: without a window manager Wine may stall closing a shown window.
    form_ = MakeWindow(L"Form", nullptr, WS_OVERLAPPEDWINDOW);
    site_.Attach(new TestSite(form_, RECT{10, 20, 400, 300}));
  }
  void TearDown() override {
    if (object_ != nullptr) {
      object_->Close(OLECLOSE_NOSAVE);
      object_->SetClientSite(nullptr);
    }
    object_.Reset();
    control_.Reset();
    if (form_ != nullptr) DestroyWindow(form_);
    OleUninitialize();
  }
  ComPtr<IDispatch> control_;
  ComPtr<IOleObject> object_;
  ComPtr<TestSite> site_;
  HWND form_ = nullptr;
};

TEST_F(HostingTest, InPlaceActivationShowsTheButtonInTheSitesWindow) {
  ASSERT_HRESULT_SUCCEEDED(object_->SetClientSite(site_.Get()));
  ASSERT_HRESULT_SUCCEEDED(
      object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0, form_, nullptr));
  EXPECT_EQ(site_->activations, 1);
  const HWND button = ControlWindow(control_.Get());
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(GetParent(button), form_);
  EXPECT_TRUE(Shown(button));
  wchar_t className[16] = {};
  GetClassNameW(button, className, 16);
  EXPECT_EQ(CompareStringOrdinal(className, -1, L"Button", -1, TRUE), CSTR_EQUAL);
  EXPECT_NE(SendMessageW(button, BM_GETIMAGE, IMAGE_ICON, 0), 0);
  RECT placed{};
  GetWindowRect(button, &placed);
  MapWindowPoints(nullptr, form_, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.left, 10);
  EXPECT_EQ(placed.top, 20);
  EXPECT_EQ(placed.right - placed.left, ExpectedPixels());
  EXPECT_EQ(placed.bottom - placed.top, ExpectedPixels());

  // Moved and resized by the site: moved, never resized.
  ComPtr<IOleInPlaceObject> inPlace;
  ASSERT_HRESULT_SUCCEEDED(control_.As(&inPlace));
  const RECT bigger{50, 60, 500, 700};
  ASSERT_HRESULT_SUCCEEDED(inPlace->SetObjectRects(&bigger, &bigger));
  GetWindowRect(button, &placed);
  MapWindowPoints(nullptr, form_, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.left, 50);
  EXPECT_EQ(placed.top, 60);
  EXPECT_EQ(placed.right - placed.left, ExpectedPixels());

  // Deactivated: hidden and away from the form, so the form's end does not
  // end the control's window.
  ASSERT_HRESULT_SUCCEEDED(inPlace->InPlaceDeactivate());
  EXPECT_EQ(site_->deactivations, 1);
  EXPECT_FALSE(Shown(button));
  EXPECT_EQ(GetAncestor(button, GA_PARENT), GetDesktopWindow());
  DestroyWindow(form_);
  form_ = nullptr;
  EXPECT_TRUE(IsWindow(button));
}

TEST_F(HostingTest, ExtentStaysAt495TwipsWhateverTheHostAsks) {
  // 495 twips in HIMETRIC.
  const LONG kept = MulDiv(495, 2540, 1440);
  const SIZEL asked[] = {{kept, kept}, {5000, 100}, {0, 0}, {1, kept}, {-20, -20}, {kept, 2000}};
  for (SIZEL size : asked) {
    EXPECT_HRESULT_SUCCEEDED(object_->SetExtent(DVASPECT_CONTENT, &size));
    SIZEL now{};
    ASSERT_HRESULT_SUCCEEDED(object_->GetExtent(DVASPECT_CONTENT, &now));
    EXPECT_EQ(now.cx, kept) << size.cx << "x" << size.cy;
    EXPECT_EQ(now.cy, kept) << size.cx << "x" << size.cy;
  }
}

TEST_F(HostingTest, ControlWorksBeforeAndWithoutActivation) {
  // A host may call Initialize before placing the control: the hidden window
  // already takes the hook messages.
  const ComPtr<EventRecorder> recorder = Connect(control_.Get());
  ASSERT_HRESULT_SUCCEEDED(Call(control_.Get(), 0x60030005));
  const HWND other = MakeWindow(L"Other");
  SendMessageW(ControlWindow(control_.Get()), kNotifyText, reinterpret_cast<WPARAM>(other), 0);
  EXPECT_EQ(recorder->Of(kGetTextMsg).size(), 1u);
  DestroyWindow(other);
  ComPtr<IPersistStreamInit> persist;
  ASSERT_HRESULT_SUCCEEDED(control_.As(&persist));
  EXPECT_HRESULT_SUCCEEDED(persist->InitNew());
  DWORD status = 0;
  ASSERT_HRESULT_SUCCEEDED(object_->GetMiscStatus(DVASPECT_CONTENT, &status));
  EXPECT_NE(status & OLEMISC_SETCLIENTSITEFIRST, 0u);
  EXPECT_HRESULT_SUCCEEDED(Call(control_.Get(), 0x6003000C));
}

}  // namespace
}  // namespace qx::win::test
