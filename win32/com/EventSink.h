#pragma once
// The base of every event sink handed to a COM connection point: a plain
// IDispatch (answering also for its event interface) whose Invoke hands the
// event's positional arguments to Handle. The receiving side can be
// detached at any time, after which events are answered and ignored. A sink
// keeps itself alive while an event runs, since the receiver may drop the
// connection from inside the event.

#include "win32/com/NoTypeInfo.h"

namespace qx::win {

class EventSink : public NoTypeInfo<ComObject<IDispatch>> {
 public:
  explicit EventSink(const IID& events) : events_(events) {}

  // IDispatch
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT* badArgument) override;

  // The receiver is gone: no more calls into it.
  virtual void Detach() = 0;
  const IID& Events() const { return events_; }

 protected:
  // One event with its positional arguments; checking them is the
  // implementation's. badArgument counts in the positional arguments.
  virtual HRESULT Handle(DISPID id, const DISPPARAMS& params, VARIANT* result,
                         UINT* badArgument) = 0;

 private:
  void* OtherInterface(REFIID riid) override;

  IID events_;
};

}  // namespace qx::win
