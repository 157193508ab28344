#pragma once
// The sink of the hook control's events (__OmnihookControl): each Invoke by
// DISPID becomes the call of the core's OmnihookEvents, its by-reference
// arguments read as values.

#include <windows.h>
// windows.h first: oaidl.h needs its types.
#include <oaidl.h>

#include "platform/HookControl.h"

namespace qx::win {

inline constexpr DISPID kDispGetTextMsg = 1;
inline constexpr DISPID kDispNewWebDialog = 2;
inline constexpr DISPID kDispLeftButtonDown = 3;
inline constexpr DISPID kDispLeftButtonUp = 4;
inline constexpr DISPID kDispNewWebDialogAdvise = 5;

class OmnihookEventSink final : public IDispatch {
 public:
  // events: the interface the sink answers to besides IDispatch.
  explicit OmnihookEventSink(REFIID events) : events_(events) {}
  OmnihookEventSink(const OmnihookEventSink&) = delete;
  OmnihookEventSink& operator=(const OmnihookEventSink&) = delete;

  // Where the events go; none: they are dropped.
  void SetTarget(OmnihookEvents* target) { target_ = target; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  // Arguments arrive last first, as DISPPARAMS carries them. A 32-bit
  // integer may come by reference (as the control sends it) or by value; an
  // argument of another type fails the call with DISP_E_TYPEMISMATCH and
  // raises nothing.
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT* argError) override;

 private:
  ~OmnihookEventSink() = default;
  LONG refs_ = 1;
  IID events_;
  OmnihookEvents* target_ = nullptr;
};

}  // namespace qx::win
