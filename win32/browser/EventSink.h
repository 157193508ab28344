#pragma once
// The base of every event sink handed to a COM connection point: a plain
// IDispatch whose Invoke decodes the event's DISPPARAMS and calls the core.
// The core's side can be detached at any time (its Connection went), after
// which events are answered and ignored. A sink keeps itself alive while an
// event runs, since the core may drop the connection from inside the event.

#include <oaidl.h>
#include <ocidl.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string_view>

#include "platform/Connection.h"
#include "win32/browser/ComSupport.h"

namespace qx::win {

class EventSink : public IDispatch {
 public:
  explicit EventSink(const IID& events) : events_(events) {}
  EventSink(const EventSink&) = delete;
  EventSink& operator=(const EventSink&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT* badArgument) override;

  // The core's sink is gone: no more calls into it.
  virtual void Detach() = 0;
  const IID& Events() const { return events_; }

 protected:
  virtual ~EventSink() = default;
  // One event; the arguments are checked by the implementation.
  virtual HRESULT Handle(DISPID id, const DISPPARAMS& params, VARIANT* result,
                         UINT* badArgument) = 0;

 private:
  IID events_;
  std::atomic<ULONG> references_{1};
};

// The i-th argument in declaration order (DISPPARAMS hold them reversed).
inline VARIANT& Arg(const DISPPARAMS& params, UINT i) {
  return params.rgvarg[params.cArgs - 1 - i];
}
// Reports a bad argument i (declaration order) the way IDispatch does.
HRESULT BadArgument(const DISPPARAMS& params, UINT i, UINT* badArgument);

// Advises sink on source's connection point for its event interface; the
// connection detaches the sink and unadvises when destroyed. Throws
// PlatformError when the source has no such connection point.
std::unique_ptr<Connection> Advise(IUnknown* source, ComPtr<EventSink> sink,
                                   std::wstring_view call);

}  // namespace qx::win

namespace qx::win {

// A new COM object owned by the answer (its first reference is taken over).
template <class T, class... Args>
ComPtr<T> MakeCom(Args&&... args) {
  ComPtr<T> object;
  object.Attach(new T(std::forward<Args>(args)...));
  return object;
}

}  // namespace qx::win
