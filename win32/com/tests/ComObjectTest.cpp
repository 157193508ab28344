// What a host sees of the shell's COM objects: which interface pointer
// answers each IID (the listed ones, the bases behind them, one IUnknown),
// and when each lifetime ends the object.

#include <gtest/gtest.h>

#include "win32/com/ComObject.h"
#include "win32/com/EventSink.h"
#include "win32/com/OleSite.h"

namespace qx::win::testing {
namespace {

// A site with a frame, as the page catcher's: two interfaces that share
// IOleWindow, and a third hierarchy (IOleInPlaceUIWindow) behind the frame.
class FramedSite final : public OleSite<IOleInPlaceFrame> {
 public:
  explicit FramedSite(bool& gone) : OleSite(nullptr), gone_(gone) {}
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return E_NOTIMPL; }

 private:
  ~FramedSite() override { gone_ = true; }
  IOleInPlaceFrame* Frame() override {
    AddRef();
    return this;
  }
  bool& gone_;
};

void* Ask(IUnknown* object, REFIID riid) {
  void* out = reinterpret_cast<void*>(1);
  if (FAILED(object->QueryInterface(riid, &out))) {
    EXPECT_EQ(out, nullptr) << "a refused interface leaves null";
    return nullptr;
  }
  static_cast<IUnknown*>(out)->Release();
  return out;
}

TEST(ComObjectTest, EachIidIsAnsweredByItsInterfaceAndOneIdentity) {
  bool gone = false;
  auto* site = new FramedSite(gone);
  IOleClientSite* client = site;
  IOleInPlaceSite* inPlace = site;
  IOleInPlaceFrame* frame = site;
  const struct {
    const IID& iid;
    void* expected;
  } cases[] = {
      {IID_IUnknown, static_cast<IUnknown*>(client)},
      {IID_IOleClientSite, client},
      {IID_IOleInPlaceSite, inPlace},
      // The first listed interface deriving from IOleWindow answers it.
      {IID_IOleWindow, static_cast<IOleWindow*>(inPlace)},
      {IID_IOleInPlaceUIWindow, static_cast<IOleInPlaceUIWindow*>(frame)},
      {IID_IOleInPlaceFrame, frame},
      {IID_IDispatch, nullptr},
      {IID_IOleControlSite, nullptr},
  };
  for (IUnknown* from : {static_cast<IUnknown*>(client), static_cast<IUnknown*>(inPlace),
                         static_cast<IUnknown*>(frame)}) {
    for (const auto& c : cases)
      EXPECT_EQ(Ask(from, c.iid), c.expected);
  }
  EXPECT_EQ(site->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

  IOleInPlaceFrame* given = nullptr;
  IOleInPlaceUIWindow* doc = nullptr;
  RECT position{};
  RECT clip{};
  ASSERT_EQ(inPlace->GetWindowContext(&given, &doc, &position, &clip, nullptr), S_OK);
  EXPECT_EQ(given, frame);
  EXPECT_EQ(given->Release(), 1u) << "the frame handed out was counted";
  EXPECT_FALSE(gone);
  EXPECT_EQ(site->Release(), 0u);
  EXPECT_TRUE(gone) << "the last Release deletes";
}

// Dispatch interfaces also answer IDispatch; a sink also its event IID.
class Sink final : public EventSink {
 public:
  explicit Sink(const IID& events) : EventSink(events) {}
  void Detach() override { detached = true; }
  bool detached = false;

 private:
  HRESULT Handle(DISPID, const DISPPARAMS&, VARIANT*, UINT*) override { return S_OK; }
};

TEST(ComObjectTest, ASinkAnswersForItsEventInterfaceOnly) {
  auto sink = MakeCom<Sink>(IID_IPropertyNotifySink);
  IDispatch* dispatch = sink.Get();
  EXPECT_EQ(Ask(dispatch, IID_IDispatch), dispatch);
  EXPECT_EQ(Ask(dispatch, IID_IPropertyNotifySink), dispatch);
  EXPECT_EQ(Ask(dispatch, IID_IConnectionPoint), nullptr);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(
      dispatch->Invoke(1, IID_IDispatch, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
      DISP_E_UNKNOWNINTERFACE);
  EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
            E_INVALIDARG);
  EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            S_OK);
}

// An object counted by its owner, and one that lives as long as its module.
class Owner final : public ComObject<IConnectionPointContainer> {
 public:
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID, IConnectionPoint**) override {
    return E_NOTIMPL;
  }
};

class Embedded final : public ComObjectWith<OwnerLifetime, IPropertyNotifySink> {
 public:
  explicit Embedded(IUnknown& owner) : ComObjectWith(owner) {}
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
};

class Module final : public ComObjectWith<StaticLifetime, IPropertyNotifySink> {
 public:
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
};

TEST(ComObjectTest, TheLifetimesCountWhereTheyShould) {
  auto* owner = new Owner;
  Embedded embedded(*owner);
  EXPECT_EQ(embedded.AddRef(), 2u) << "the owner's count goes up";
  EXPECT_EQ(owner->AddRef(), 3u);
  EXPECT_EQ(owner->Release(), 2u);
  EXPECT_EQ(embedded.Release(), 1u);
  EXPECT_EQ(owner->Release(), 0u);

  Module module;
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(module.AddRef(), 2u);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(module.Release(), 1u) << "never reaches zero";
}

// MinGW's ComPtr::Attach adds a reference where the Windows SDK's takes the
// first one over: a made object must still end with its last reference.
TEST(ComObjectTest, AMadeObjectEndsWithItsLastReference) {
  bool gone = false;
  {
    ComPtr<IOleClientSite> held;
    {
      auto site = MakeCom<FramedSite>(gone);
      ASSERT_TRUE(SUCCEEDED(site.As(&held)));
    }
    EXPECT_FALSE(gone) << "a reference is still held";
  }
  EXPECT_TRUE(gone);
}

}  // namespace
}  // namespace qx::win::testing
