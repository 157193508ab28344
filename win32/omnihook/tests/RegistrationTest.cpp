// Self-registration in the test prefix, undone at the end whatever happens.

#include <gtest/gtest.h>

#include <string>

#include "ControlTestSupport.h"

namespace qx::win::test {
namespace {

using ServerCall = HRESULT(STDAPICALLTYPE*)();

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

bool KeyExists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  return true;
}

std::wstring ReadValue(const std::wstring& key, const wchar_t* name = nullptr) {
  wchar_t text[MAX_PATH * 2] = {};
  DWORD bytes = sizeof text - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
      ERROR_SUCCESS) {
    return L"<missing>";
  }
  return text;
}

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
    module_ = LoadControlFile(ControlPath());
    ASSERT_NE(module_, nullptr);
    reg_ = reinterpret_cast<ServerCall>(
        reinterpret_cast<void (*)()>(GetProcAddress(module_, "DllRegisterServer")));
    unreg_ = reinterpret_cast<ServerCall>(
        reinterpret_cast<void (*)()>(GetProcAddress(module_, "DllUnregisterServer")));
    ASSERT_NE(reg_, nullptr);
    ASSERT_NE(unreg_, nullptr);
  }
  void TearDown() override {
    if (unreg_ != nullptr) unreg_();
    OleUninitialize();
  }
  HMODULE module_ = nullptr;
  ServerCall reg_ = nullptr;
  ServerCall unreg_ = nullptr;
};

TEST_F(RegistrationTest, RegistersCreatesAndUnregisters) {
  const std::wstring clsid = L"CLSID\\" + GuidText(CLSID_OmnihookControl);
  ASSERT_HRESULT_SUCCEEDED(reg_());

  EXPECT_EQ(CompareStringOrdinal(ReadValue(clsid + L"\\InprocServer32").c_str(), -1,
                                 ControlPath().c_str(), -1, TRUE),
            CSTR_EQUAL);
  EXPECT_EQ(ReadValue(clsid + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(ReadValue(clsid + L"\\ProgID"), L"Omnihook.OmnihookControl");
  EXPECT_TRUE(KeyExists(clsid + L"\\Control"));
  EXPECT_EQ(ReadValue(clsid + L"\\TypeLib"), GuidText(LIBID_Omnihook));
  EXPECT_EQ(ReadValue(L"Omnihook.OmnihookControl\\CLSID"), GuidText(CLSID_OmnihookControl));

  ComPtr<IDispatch> byClass;
  EXPECT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_OmnihookControl, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_PPV_ARGS(&byClass)));
  CLSID fromProgId{};
  ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"Omnihook.OmnihookControl", &fromProgId));
  EXPECT_TRUE(IsEqualCLSID(fromProgId, CLSID_OmnihookControl));
  ComPtr<IDispatch> byProgId;
  EXPECT_HRESULT_SUCCEEDED(
      CoCreateInstance(fromProgId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&byProgId)));
  ComPtr<ITypeLib> library;
  ASSERT_HRESULT_SUCCEEDED(LoadRegTypeLib(LIBID_Omnihook, 1, 0, 0, &library));
  ComPtr<ITypeInfo> events;
  EXPECT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(DIID___OmnihookControl, &events));
  byClass.Reset();
  byProgId.Reset();

  ASSERT_HRESULT_SUCCEEDED(unreg_());
  EXPECT_FALSE(KeyExists(clsid));
  EXPECT_FALSE(KeyExists(L"Omnihook.OmnihookControl"));
  ComPtr<IDispatch> gone;
  EXPECT_EQ(
      CoCreateInstance(CLSID_OmnihookControl, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&gone)),
      REGDB_E_CLASSNOTREG);
  EXPECT_HRESULT_FAILED(CLSIDFromProgID(L"Omnihook.OmnihookControl", &fromProgId));
  ComPtr<ITypeLib> unregistered;
  EXPECT_HRESULT_FAILED(LoadRegTypeLib(LIBID_Omnihook, 1, 0, 0, &unregistered));
  // A second removal finds nothing to remove and says so by success.
  EXPECT_HRESULT_SUCCEEDED(unreg_());
}

TEST_F(RegistrationTest, VersionRecordCarriesTheSelfRegisterMarker) {
  const std::wstring path = ControlPath();
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
  void* value = nullptr;
  UINT length = 0;
  EXPECT_TRUE(
      VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\OLESelfRegister", &value, &length));
  EXPECT_FALSE(
      VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\NoSuchMarker", &value, &length));
}

}  // namespace
}  // namespace qx::win::test
