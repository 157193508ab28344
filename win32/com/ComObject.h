#pragma once
// IUnknown for the shell's COM objects: QueryInterface over the listed
// interfaces (and the interfaces they derive from), AddRef and Release after
// a lifetime policy. The first listed interface is the object's IUnknown.
//
//   class Site final : public ComObject<IOleClientSite, IOleInPlaceSite> { ... };
//
// Objects end through Release, never through an interface pointer: the
// interfaces' destructors are not virtual by design, ComObject's is.

#include <windows.h>
// windows.h first: the OLE headers need its types.
#include <ocidl.h>
#include <oleidl.h>
#include <wrl/client.h>

#include <atomic>
#include <type_traits>
#include <utility>

namespace qx::win {

using Microsoft::WRL::ComPtr;

// The usual object: made with new and one reference, deleted when the
// last reference goes. Atomic: a free-threaded
// caller may hold references on another thread.
class HeapLifetime {
 protected:
  static constexpr bool kDeletes = true;
  ULONG Up() { return ++references_; }
  ULONG Down() { return --references_; }

 private:
  std::atomic<ULONG> references_{1};
};

// An object that lives as long as its module (a class object of the
// module's own): references are not counted and nothing is deleted.
class StaticLifetime {
 protected:
  static constexpr bool kDeletes = false;
  ULONG Up() { return 2; }
  ULONG Down() { return 1; }
};

// An object embedded in another (a connection point in its container): its
// references are the owner's, and the owner's Release ends both.
class OwnerLifetime {
 public:
  explicit OwnerLifetime(IUnknown& owner) : owner_(owner) {}

 protected:
  static constexpr bool kDeletes = false;
  ULONG Up() { return owner_.AddRef(); }
  ULONG Down() { return owner_.Release(); }

 private:
  IUnknown& owner_;
};

// Base interfaces a listed interface also answers for. Not every base is
// reached by the listed IIDs alone: a host asks for IOleWindow, IPersist or
// IDispatch and expects the derived interface behind it.
template <class I>
bool AnswersAsBase(REFIID riid) {
  return (std::is_base_of_v<IDispatch, I> && riid == IID_IDispatch) ||
         (std::is_base_of_v<IOleWindow, I> && riid == IID_IOleWindow) ||
         (std::is_base_of_v<IOleInPlaceUIWindow, I> && riid == IID_IOleInPlaceUIWindow) ||
         (std::is_base_of_v<IProvideClassInfo, I> && riid == IID_IProvideClassInfo) ||
         (std::is_base_of_v<IPersist, I> && riid == IID_IPersist);
}

template <class Lifetime, class First, class... Rest>
class ComObjectWith : public First, public Rest..., protected Lifetime {
 public:
  template <class... LifetimeArgs>
  explicit ComObjectWith(LifetimeArgs&&... args) : Lifetime(std::forward<LifetimeArgs>(args)...) {}
  ComObjectWith(const ComObjectWith&) = delete;
  ComObjectWith& operator=(const ComObjectWith&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = Find(riid);
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return Lifetime::Up(); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = Lifetime::Down();
    if constexpr (Lifetime::kDeletes) {
      if (left == 0) delete this;
    }
    return left;
  }

 protected:
  virtual ~ComObjectWith() = default;
  // An interface known only at run time (an event sink's dispatch
  // interface); none by default.
  virtual void* OtherInterface(REFIID) { return nullptr; }

 private:
  template <class I>
  void* Match(REFIID riid) {
    if (riid == __uuidof(I) || AnswersAsBase<I>(riid)) return static_cast<I*>(this);
    return nullptr;
  }
  void* Find(REFIID riid) {
    if (riid == IID_IUnknown) return static_cast<IUnknown*>(static_cast<First*>(this));
    void* found = Match<First>(riid);
    ((found = found != nullptr ? found : Match<Rest>(riid)), ...);
    return found != nullptr ? found : OtherInterface(riid);
  }
};

// The usual heap object over the listed interfaces.
template <class... Interfaces>
using ComObject = ComObjectWith<HeapLifetime, Interfaces...>;

// A new heap object owned by the answer. Not through ComPtr::Attach: MinGW's
// adds a reference of its own where the Windows SDK's takes the first one
// over, which would keep every object alive for ever.
template <class T, class... Args>
ComPtr<T> MakeCom(Args&&... args) {
  T* made = new T(std::forward<Args>(args)...);
  ComPtr<T> object(made);
  made->Release();
  return object;
}

}  // namespace qx::win
