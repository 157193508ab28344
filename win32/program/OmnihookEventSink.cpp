#include "win32/program/OmnihookEventSink.h"

#include <optional>
#include <string>

#include "win32/com/VariantArgs.h"

namespace qx::win {
namespace {

// How many arguments the event takes; none for an event the control does
// not raise.
std::optional<UINT> ArgumentCount(DISPID id) {
  switch (id) {
    case kDispGetTextMsg:
      return 1;
    case kDispNewWebDialog:
    case kDispNewWebDialogAdvise:
      return 2;
    case kDispLeftButtonDown:
    case kDispLeftButtonUp:
      return 3;
    default:
      return std::nullopt;
  }
}

// The event's arguments: integers, and the caption of NewWebDialog.
struct EventArguments {
  std::int32_t ints[3] = {};
  std::wstring caption;
};

HRESULT Decode(DISPID id, const DISPPARAMS& params, EventArguments& out, UINT* badArgument) {
  for (UINT i = 0; i < params.cArgs; ++i) {
    if (id == kDispNewWebDialog && i == 1) {
      const auto text = StringOf(Arg(params, i));
      if (!text) return BadArgument(params, i, badArgument);
      out.caption = *text;
      continue;
    }
    const auto value = LongOf(Arg(params, i));
    if (!value) return BadArgument(params, i, badArgument);
    out.ints[i] = *value;
  }
  return S_OK;
}

void Raise(OmnihookEvents& target, DISPID id, EventArguments& a) {
  switch (id) {
    case kDispGetTextMsg:
      target.GetTextMsg(a.ints[0]);
      break;
    case kDispNewWebDialog:
      target.NewWebDialog(a.ints[0], a.caption);
      break;
    case kDispLeftButtonDown:
      target.LeftButtonDown(a.ints[0], a.ints[1], a.ints[2]);
      break;
    case kDispLeftButtonUp:
      target.LeftButtonUp(a.ints[0], a.ints[1], a.ints[2]);
      break;
    case kDispNewWebDialogAdvise:
      target.NewWebDialogAdvise(a.ints[0], a.ints[1]);
      break;
    default:
      break;
  }
}

}  // namespace

HRESULT OmnihookEventSink::Handle(DISPID id, const DISPPARAMS& params, VARIANT* result,
                                  UINT* badArgument) {
  if (result != nullptr) VariantInit(result);
  const auto expected = ArgumentCount(id);
  if (!expected) return DISP_E_MEMBERNOTFOUND;
  if (params.cArgs != *expected) return DISP_E_BADPARAMCOUNT;
  EventArguments arguments;
  const HRESULT decoded = Decode(id, params, arguments, badArgument);
  if (FAILED(decoded)) return decoded;
  if (target_ != nullptr) Raise(*target_, id, arguments);
  return S_OK;
}

}  // namespace qx::win
