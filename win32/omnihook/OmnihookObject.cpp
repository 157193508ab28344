#include "OmnihookObject.h"

#include <new>
#include <string>

#include "ControlWindow.h"
#include "ServerLock.h"
#include "Win32HookHost.h"
#include "platform/PlatformError.h"
#include "win32/com/VariantArgs.h"

namespace qx::win {
namespace {

using Microsoft::WRL::ComPtr;

// The methods' dispatch identifiers.
enum : DISPID {
  kDispInitialize = 0x60030005,
  kDispInstallCBTHook,
  kDispInstallMsgHook,
  kDispInstallMouseHook,
  kDispRemoveCBTHook,
  kDispRemoveMsgHook,
  kDispRemoveMouseHook,
  kDispUninitialize,
};

// Every control made on a thread shares that thread's hook state.
HookState& ThreadHookState() {
  thread_local HookState state;
  return state;
}

// The hooks of 32-bit processes, shared like the state. Only a 64-bit
// control has one: on 32-bit Windows every process is hooked from here.
HookPeer* ThreadHookPeer(Win32HookLibrary& library) {
#ifdef _WIN64
  thread_local Win32HookHost host(library.ControlFolder());
  return &host;
#else
  (void)library;
  return nullptr;
#endif
}

// A failure as the host's run-time reports it: the error number in the
// control facility, with a description.
HRESULT Fail(HRESULT result, const std::wstring& description) {
  ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(&create))) {
    create->SetGUID(IID__OmnihookControl);
    create->SetSource(const_cast<LPOLESTR>(L"Omnihook.OmnihookControl"));
    create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
  }
  return result;
}

// The optional in/out Boolean of InstallCBTHook as a late-bound caller may
// pass it: omitted, by reference, or any value that converts.
HRESULT ReadFlag(const VARIANTARG& arg, bool& flag) {
  if (IsOmitted(arg)) {
    flag = false;
    return S_OK;
  }
  if (const auto value = BoolOf(arg)) {
    flag = *value;
    return S_OK;
  }
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&Deref(arg)), 0, VT_BOOL)))
    return DISP_E_TYPEMISMATCH;
  flag = converted.boolVal != VARIANT_FALSE;
  return S_OK;
}

}  // namespace

OmnihookObject::OmnihookObject(HMODULE module) : module_(module), library_(module), events_(*this) {
  ++ServerLocks();
  // 495 twips in HIMETRIC (2540 per inch, 1440 twips per inch).
  extent_.cx = extent_.cy = MulDiv(kControlTwips, 2540, 1440);
}

OmnihookObject::~OmnihookObject() {
  // Termination tears down the hooks and gives the window its procedure back
  // while the window still exists.
  control_.reset();
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  if (icon_ != nullptr) DestroyIcon(icon_);
  --ServerLocks();
}

HRESULT OmnihookObject::Create(HMODULE module, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  auto* control = new (std::nothrow) OmnihookObject(module);
  if (control == nullptr) return E_OUTOFMEMORY;
  HRESULT result = control->Construct();
  if (SUCCEEDED(result)) result = control->QueryInterface(riid, object);
  control->Release();
  return result;
}

HRESULT OmnihookObject::Construct() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(module_, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return E_FAIL;
  HRESULT result = LoadTypeLibEx(path, REGKIND_NONE, &typeLibrary_);
  if (FAILED(result)) return result;
  result = typeLibrary_->GetTypeInfoOfGuid(IID__OmnihookControl, &dispatchInfo_);
  if (FAILED(result)) return result;
  window_ = CreateControlWindow(module_, icon_);
  if (window_ == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  try {
    control_ = std::make_unique<OmnihookControl>(ThreadHookState(), library_, ansi_,
                                                 reinterpret_cast<Hwnd>(window_), &events_,
                                                 ThreadHookPeer(library_));
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT OmnihookObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT OmnihookObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return dispatchInfo_.CopyTo(info);
}

HRESULT OmnihookObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  return dispatchInfo_->GetIDsOfNames(names, count, ids);
}

HRESULT OmnihookObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* argError) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (id < kDispInitialize || id > kDispUninitialize) return DISP_E_MEMBERNOTFOUND;
  if ((flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  if (params == nullptr) params = &none;
  const HRESULT checked = CheckArguments(id, *params);
  if (FAILED(checked)) return checked;
  if (result != nullptr) VariantInit(result);
  bool flag = false;
  if (id == kDispInstallCBTHook && params->cArgs == 1) {
    const HRESULT read = ReadFlag(params->rgvarg[0], flag);
    if (FAILED(read)) {
      if (argError != nullptr) *argError = 0;
      return read;
    }
  }
  const HRESULT outcome = CallMethod(id, flag);
  if (SUCCEEDED(outcome) || exception == nullptr) return outcome;
  return ReportException(outcome, *exception);
}

HRESULT OmnihookObject::CheckArguments(DISPID id, const DISPPARAMS& params) {
  const UINT most = id == kDispInstallCBTHook ? 1 : 0;
  if (params.cArgs > most) return DISP_E_BADPARAMCOUNT;
  if ((params.cArgs > 0 && params.rgvarg == nullptr) || params.cNamedArgs > params.cArgs ||
      (params.cNamedArgs > 0 && params.rgdispidNamedArgs == nullptr)) {
    return E_INVALIDARG;
  }
  // The one parameter may also come by name (its DISPID is 0).
  if (params.cNamedArgs == 1 && params.rgdispidNamedArgs[0] != 0) return DISP_E_PARAMNOTFOUND;
  return S_OK;
}

// flag: InstallCBTHook's argument.
HRESULT OmnihookObject::CallMethod(DISPID id, bool flag) {
  switch (id) {
    case kDispInitialize:
      return Initialize();
    case kDispInstallCBTHook: {
      VARIANT_BOOL value = flag ? VARIANT_TRUE : VARIANT_FALSE;
      return InstallCBTHook(&value);
    }
    case kDispInstallMsgHook:
      return InstallMsgHook();
    case kDispInstallMouseHook:
      return InstallMouseHook();
    case kDispRemoveCBTHook:
      return RemoveCBTHook();
    case kDispRemoveMsgHook:
      return RemoveMsgHook();
    case kDispRemoveMouseHook:
      return RemoveMouseHook();
    default:
      return Uninitialize();
  }
}

// As the type library's own Invoke reports a failing method.
HRESULT OmnihookObject::ReportException(HRESULT outcome, EXCEPINFO& exception) {
  exception = EXCEPINFO{};
  exception.scode = outcome;
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) == S_OK) {
    info->GetSource(&exception.bstrSource);
    info->GetDescription(&exception.bstrDescription);
  }
  return DISP_E_EXCEPTION;
}

template <class F>
HRESULT OmnihookObject::Run(F&& call) {
  try {
    call();
    SetErrorInfo(0, nullptr);
    return S_OK;
  } catch (const PlatformError& error) {
    return Fail(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, error.Number() & 0xFFFF),
                error.Description());
  } catch (const std::bad_alloc&) {
    return Fail(E_OUTOFMEMORY, L"Out of memory");
  } catch (...) {
    return Fail(E_UNEXPECTED, L"Unexpected failure");
  }
}

HRESULT OmnihookObject::Initialize() {
  return Run([&] { control_->Initialize(); });
}

HRESULT OmnihookObject::InstallCBTHook(VARIANT_BOOL* NoBrowserCheck) {
  const bool flag = NoBrowserCheck != nullptr && *NoBrowserCheck != VARIANT_FALSE;
  return Run([&] { control_->InstallCBTHook(flag); });
}

HRESULT OmnihookObject::InstallMsgHook() {
  return Run([&] { control_->InstallMsgHook(); });
}

HRESULT OmnihookObject::InstallMouseHook() {
  return Run([&] { control_->InstallMouseHook(); });
}

HRESULT OmnihookObject::RemoveCBTHook() {
  return Run([&] { control_->RemoveCBTHook(); });
}

HRESULT OmnihookObject::RemoveMsgHook() {
  return Run([&] { control_->RemoveMsgHook(); });
}

HRESULT OmnihookObject::RemoveMouseHook() {
  return Run([&] { control_->RemoveMouseHook(); });
}

HRESULT OmnihookObject::Uninitialize() {
  return Run([&] { control_->Uninitialize(); });
}

HRESULT OmnihookObject::GetClassInfo(ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  return typeLibrary_->GetTypeInfoOfGuid(CLSID_OmnihookControl, info);
}

HRESULT OmnihookObject::GetGUID(DWORD kind, GUID* guid) {
  if (guid == nullptr) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = DIID___OmnihookControl;
  return S_OK;
}

HRESULT OmnihookObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points != nullptr) *points = nullptr;
  return E_NOTIMPL;
}

HRESULT OmnihookObject::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  if (riid != DIID___OmnihookControl) return CONNECT_E_NOCONNECTION;
  *point = &events_;
  events_.AddRef();
  return S_OK;
}

HRESULT OmnihookObject::InterfaceSupportsErrorInfo(REFIID riid) {
  return riid == IID__OmnihookControl || riid == IID_IDispatch ? S_OK : S_FALSE;
}

HRESULT OmnihookObject::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_OmnihookControl;
  return S_OK;
}

HRESULT OmnihookObject::IsDirty() {
  return S_FALSE;
}

HRESULT OmnihookObject::Load(LPSTREAM) {
  return S_OK;
}

HRESULT OmnihookObject::Save(LPSTREAM, BOOL) {
  return S_OK;
}

HRESULT OmnihookObject::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  size->QuadPart = 0;
  return S_OK;
}

HRESULT OmnihookObject::InitNew() {
  return S_OK;
}

}  // namespace qx::win
