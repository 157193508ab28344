#pragma once
// The control's one connection point, for the event interface: it keeps the
// host's sinks and raises the core's events on them through IDispatch, every
// argument by reference, as the host's event handlers expect.

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>
#include <wrl/client.h>

#include <utility>
#include <vector>

#include "platform/HookControl.h"
#include "win32/com/ComObject.h"

namespace qx::win {

class EventConnection final : public ComObjectWith<OwnerLifetime, IConnectionPoint>,
                              public OmnihookEvents {
 public:
  // Lives and dies with its container, which counts its references.
  explicit EventConnection(IConnectionPointContainer& owner)
      : ComObjectWith(owner), owner_(owner) {}
  EventConnection(const EventConnection&) = delete;
  EventConnection& operator=(const EventConnection&) = delete;

  // IConnectionPoint
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** cpc) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

  // While frozen (the host asks so while it loads) events are dropped.
  void Freeze(bool freeze);

  // OmnihookEvents
  void GetTextMsg(std::int32_t& hwnd) override;
  void NewWebDialog(std::int32_t& hwnd, std::wstring& caption) override;
  void LeftButtonDown(std::int32_t& x, std::int32_t& y, std::int32_t& hwnd) override;
  void LeftButtonUp(std::int32_t& x, std::int32_t& y, std::int32_t& hwnd) override;
  void NewWebDialogAdvise(std::int32_t& hwnd, std::int32_t& IEhWnd) override;

  void DisconnectAll() { sinks_.clear(); }

 private:
  // args as DISPPARAMS wants them: the last argument first.
  void Raise(DISPID id, VARIANTARG* args, UINT count);
  void RaiseButton(DISPID id, std::int32_t x, std::int32_t y, std::int32_t hwnd);

  IConnectionPointContainer& owner_;
  std::vector<std::pair<DWORD, Microsoft::WRL::ComPtr<IDispatch>>> sinks_;
  DWORD lastCookie_ = 0;
  int frozen_ = 0;
};

}  // namespace qx::win
