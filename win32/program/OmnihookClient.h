#pragma once
// The hook control on the hidden main form: created by its class identifier
// when first needed, in-place activated on the form's window, its methods
// called late-bound by DISPID, its events sunk through its connection point.
// A control that cannot be created (not registered) leaves the program
// running without hooks: every method then fails with PlatformError, which
// the core skips.

#include <windows.h>
// windows.h first: the OLE headers need their types.
#include <ocidl.h>
#include <wrl/client.h>

#include <functional>

#include "platform/HookControl.h"

namespace qx::win {

class ControlSite;
class OmnihookEventSink;

inline constexpr DISPID kDispInitialize = 0x60030005;
inline constexpr DISPID kDispInstallCBTHook = 0x60030006;
inline constexpr DISPID kDispInstallMsgHook = 0x60030007;
inline constexpr DISPID kDispInstallMouseHook = 0x60030008;
inline constexpr DISPID kDispRemoveCBTHook = 0x60030009;
inline constexpr DISPID kDispRemoveMsgHook = 0x6003000A;
inline constexpr DISPID kDispRemoveMouseHook = 0x6003000B;
inline constexpr DISPID kDispUninitialize = 0x6003000C;

class OmnihookClient final : public HookControl {
 public:
  // Makes the control's object; the default asks COM for the class.
  using Factory = std::function<HRESULT(IUnknown** object)>;
  // The window the control is to live in (the main form's); 0 while there
  // is none yet.
  using HostWindow = std::function<HWND()>;

  OmnihookClient(HostWindow host, Factory factory = DefaultFactory());
  ~OmnihookClient() override;
  OmnihookClient(const OmnihookClient&) = delete;
  OmnihookClient& operator=(const OmnihookClient&) = delete;

  void Initialize() override { Call(kDispInitialize, L"Initialize"); }
  void InstallCBTHook(bool noBrowserCheck) override;
  void InstallMsgHook() override { Call(kDispInstallMsgHook, L"InstallMsgHook"); }
  void InstallMouseHook() override { Call(kDispInstallMouseHook, L"InstallMouseHook"); }
  void RemoveCBTHook() override { Call(kDispRemoveCBTHook, L"RemoveCBTHook"); }
  void RemoveMsgHook() override { Call(kDispRemoveMsgHook, L"RemoveMsgHook"); }
  void RemoveMouseHook() override { Call(kDispRemoveMouseHook, L"RemoveMouseHook"); }
  void Uninitialize() override { Call(kDispUninitialize, L"Uninitialize"); }
  void SetEventSink(OmnihookEvents* sink) override;

  // Creates the control now if it was not tried yet; answers whether it
  // lives. The outcome of the first try stands for the whole run.
  bool Create();
  // Why the control is missing (S_OK while it lives or was not tried).
  HRESULT CreationResult() const { return creation_; }
  bool Advised() const { return cookie_ != 0; }
  // Closes the control and drops it (at program end).
  void Destroy();

  static Factory DefaultFactory();

 private:
  void Call(DISPID id, const wchar_t* name, DISPPARAMS* params = nullptr);

  HostWindow host_;
  Factory factory_;
  bool tried_ = false;
  HRESULT creation_ = S_OK;
  OmnihookEvents* target_ = nullptr;
  ControlSite* site_ = nullptr;
  OmnihookEventSink* sink_ = nullptr;
  Microsoft::WRL::ComPtr<IUnknown> object_;
  Microsoft::WRL::ComPtr<IOleObject> ole_;
  Microsoft::WRL::ComPtr<IDispatch> dispatch_;
  Microsoft::WRL::ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

}  // namespace qx::win
