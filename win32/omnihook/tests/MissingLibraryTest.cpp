// The control without catchwire.dll beside it: the methods that need the
// library fail with an error the host can read, and nothing breaks.

#include <gtest/gtest.h>

#include "ControlTestSupport.h"

namespace qx::win::test {
namespace {

// "File not found" in the control's error facility.
constexpr HRESULT kFileNotFound = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 53);

class MissingLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
    const std::wstring path = ControlWithoutLibraryPath();
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    ASSERT_EQ(GetFileAttributesW((folder + L"\\catchwire.dll").c_str()), INVALID_FILE_ATTRIBUTES);
    control_ = CreateControl(LoadControlFile(path));
    ASSERT_NE(control_, nullptr);
  }
  void TearDown() override {
    control_.Reset();
    OleUninitialize();
  }
  ComPtr<IDispatch> control_;
};

TEST_F(MissingLibraryTest, InstallMethodsFailWithTheErrorAndTheRestGoesOn) {
  const ComPtr<EventRecorder> recorder = Connect(control_.Get());
  EXPECT_HRESULT_SUCCEEDED(Call(control_.Get(), 0x60030005));  // Initialize
  for (DISPID id : {DISPID(0x60030006), DISPID(0x60030007), DISPID(0x60030008)}) {
    EXCEPINFO exception{};
    EXPECT_EQ(Call(control_.Get(), id, {}, &exception), DISP_E_EXCEPTION) << std::hex << id;
    EXPECT_EQ(exception.scode, kFileNotFound);
    ASSERT_NE(exception.bstrDescription, nullptr);
    EXPECT_STREQ(exception.bstrDescription, L"File not found: catchwire.dll");
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
  }
  // Without room for exception details the failure itself comes back.
  EXPECT_EQ(Call(control_.Get(), 0x60030007), kFileNotFound);
  ComPtr<_OmnihookControl> dual;
  ASSERT_HRESULT_SUCCEEDED(control_.As(&dual));
  EXPECT_EQ(dual->InstallMouseHook(), kFileNotFound);
  ComPtr<IErrorInfo> error;
  ASSERT_EQ(GetErrorInfo(0, &error), S_OK);
  BSTR description = nullptr;
  error->GetDescription(&description);
  EXPECT_STREQ(description, L"File not found: catchwire.dll");
  SysFreeString(description);

  // Button messages need the library's y: no event, no crash; the other
  // messages still work.
  const HWND window = ControlWindow(control_.Get());
  EXPECT_EQ(SendMessageW(window, kNotifyButtonDown, 10, 0), 0);
  EXPECT_TRUE(recorder->events.empty());
  SendMessageW(window, kNotifyText, reinterpret_cast<WPARAM>(window), 0);
  EXPECT_EQ(recorder->Of(kGetTextMsg).size(), 1u);
  for (DISPID id = 0x60030009; id <= 0x6003000C; ++id) {
    EXPECT_HRESULT_SUCCEEDED(Call(control_.Get(), id)) << std::hex << id;
  }
}

}  // namespace
}  // namespace qx::win::test
