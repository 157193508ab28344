// A COM object in a process of its own that stops answering, as a browser
// that hangs does. It marshals an IDispatch into the file named on its
// command line and runs its apartment; DISPID 1 answers at once, DISPID 2
// blocks its only thread for half a minute. It ends by itself after a
// minute.

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class Hanging final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    if (id == 2) Sleep(30000);
    return S_OK;
  }

 private:
  ULONG references_ = 1;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2 || FAILED(CoInitialize(nullptr))) return 2;
  Hanging object;
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return 3;
  if (FAILED(CoMarshalInterface(stream, IID_IDispatch, &object, MSHCTX_LOCAL, nullptr,
                                MSHLFLAGS_TABLESTRONG))) {
    return 4;
  }
  HGLOBAL memory = nullptr;
  GetHGlobalFromStream(stream, &memory);
  const SIZE_T size = GlobalSize(memory);
  std::vector<char> bytes(size);
  if (void* data = GlobalLock(memory)) {
    CopyMemory(bytes.data(), data, size);
    GlobalUnlock(memory);
  }
  // Written under another name and moved, so the test never reads half.
  std::wstring partial = std::wstring(argv[1]) + L".part";
  FILE* out = _wfopen(partial.c_str(), L"wb");
  if (out == nullptr) return 5;
  fwrite(bytes.data(), 1, bytes.size(), out);
  fclose(out);
  MoveFileExW(partial.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING);
  SetTimer(nullptr, 0, 60000, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER) break;
    DispatchMessageW(&message);
  }
  stream->Release();
  CoUninitialize();
  return 0;
}
