#pragma once
// The sink of the hook control's events (__OmnihookControl): each Invoke by
// DISPID becomes the call of the core's OmnihookEvents, its by-reference
// arguments read as values.

#include "platform/HookControl.h"
#include "win32/com/EventSink.h"

namespace qx::win {

inline constexpr DISPID kDispGetTextMsg = 1;
inline constexpr DISPID kDispNewWebDialog = 2;
inline constexpr DISPID kDispLeftButtonDown = 3;
inline constexpr DISPID kDispLeftButtonUp = 4;
inline constexpr DISPID kDispNewWebDialogAdvise = 5;

class OmnihookEventSink final : public EventSink {
 public:
  // events: the interface the sink answers to besides IDispatch.
  explicit OmnihookEventSink(REFIID events) : EventSink(events) {}

  // Where the events go; none: they are dropped.
  void SetTarget(OmnihookEvents* target) { target_ = target; }
  void Detach() override { target_ = nullptr; }

 private:
  ~OmnihookEventSink() override = default;
  // A 32-bit integer may come by reference (as the control sends it) or by
  // value; an argument of another type fails the call with
  // DISP_E_TYPEMISMATCH and raises nothing.
  HRESULT Handle(DISPID id, const DISPPARAMS& params, VARIANT* result, UINT* badArgument) override;

  OmnihookEvents* target_ = nullptr;
};

}  // namespace qx::win
