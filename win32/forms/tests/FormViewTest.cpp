#include "win32/forms/FormView.h"

#include <gtest/gtest.h>

#include <string>

namespace qx::win {
namespace {

// A small form of every kind of control the view lays out.
class SampleForm final : public FormModel {
 public:
  SampleForm() {
    caption_ = L"Sample Form";
    loaded_ = true;
    shown_ = true;
    Add({.kind = ControlKind::Label, .name = L"Prompt", .caption = L"Say something:"});
    text = &Add({.kind = ControlKind::TextBox, .name = L"InputText", .text = L"password"});
    box = &Add({.kind = ControlKind::CheckBox, .name = L"quiet", .caption = L"&Quiet"});
    hidden = &Add({.kind = ControlKind::Button, .caption = L"&Later", .visible = false});
    Add({.kind = ControlKind::Button, .caption = L"OK"}).onClick = [this] {
      answer = text->text;
      shown_ = false;
    };
    Add({.kind = ControlKind::Button, .caption = L"Cancel"}).onClick = [this] {
      cancelled = true;
      shown_ = false;
    };
  }
  void CloseBox() override {
    closed = true;
    shown_ = false;
  }
  void Unload() { loaded_ = false; }

  Control* text;
  Control* box;
  Control* hidden;
  std::wstring answer;
  bool cancelled = false;
  bool closed = false;
};

bool Shown(HWND window) {
  return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::wstring TextOf(HWND window) {
  wchar_t buffer[256] = {};
  GetWindowTextW(window, buffer, 256);
  return buffer;
}

class FormViewTest : public testing::Test {
 protected:
  void SetUp() override {
    window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override { DestroyWindow(window); }

  HWND window = nullptr;
  SampleForm form;
};

TEST_F(FormViewTest, ShowsEveryControlWithTheModelsTexts) {
  FormView view(window, form);
  EXPECT_EQ(TextOf(window), L"Sample Form");
  EXPECT_EQ(TextOf(view.ChildFor(L"Prompt")), L"Say something:");
  EXPECT_EQ(TextOf(view.ChildFor(L"InputText")), L"password");
  EXPECT_EQ(TextOf(view.ChildFor(L"quiet")), L"&Quiet");
  EXPECT_FALSE(Shown(view.ChildFor(L"Later")));
  EXPECT_TRUE(Shown(view.ChildFor(L"OK")));
  EXPECT_EQ(SendMessageW(view.ChildFor(L"quiet"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(FormViewTest, LaysControlsOutTopToBottomWithButtonsBelow) {
  FormView view(window, form);
  auto top = [&](std::wstring_view name) {
    RECT rect{};
    GetWindowRect(view.ChildFor(name), &rect);
    return rect.top;
  };
  EXPECT_LT(top(L"Prompt"), top(L"InputText"));
  EXPECT_LT(top(L"InputText"), top(L"quiet"));
  EXPECT_LT(top(L"quiet"), top(L"OK"));
  EXPECT_EQ(top(L"OK"), top(L"Cancel"));
  RECT client{};
  GetClientRect(window, &client);
  RECT cancel{};
  GetWindowRect(view.ChildFor(L"Cancel"), &cancel);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&cancel), 2);
  EXPECT_LE(cancel.bottom, client.bottom) << "the button row is cut off";
}

TEST_F(FormViewTest, UserActionsReachTheModel) {
  FormView view(window, form);
  SetWindowTextW(view.ChildFor(L"InputText"), L"opensesame");
  SendMessageW(view.ChildFor(L"quiet"), BM_CLICK, 0, 0);
  EXPECT_TRUE(form.box->checked);
  SendMessageW(view.ChildFor(L"OK"), BM_CLICK, 0, 0);
  EXPECT_EQ(form.answer, L"opensesame");
  EXPECT_FALSE(form.Shown());
}

TEST_F(FormViewTest, ModelChangesShowAfterRefresh) {
  FormView view(window, form);
  form.hidden->visible = true;
  form.text->enabled = false;
  form.box->checked = true;
  view.Refresh();
  EXPECT_TRUE(Shown(view.ChildFor(L"Later")));
  EXPECT_FALSE(IsWindowEnabled(view.ChildFor(L"InputText")));
  EXPECT_EQ(SendMessageW(view.ChildFor(L"quiet"), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(FormViewTest, ModalLoopEndsWhenAButtonHidesTheForm) {
  FormView view(window, form);
  PostMessageW(view.ChildFor(L"Cancel"), BM_CLICK, 0, 0);
  view.RunModal(nullptr);
  EXPECT_TRUE(form.cancelled);
  EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(FormViewTest, ClosingTheWindowIsTheModelsCloseBox) {
  FormView view(window, form);
  PostMessageW(window, WM_CLOSE, 0, 0);
  view.RunModal(nullptr);
  EXPECT_TRUE(form.closed);
  EXPECT_TRUE(IsWindow(window)) << "the form, not the view, decides when its window goes";
}

TEST_F(FormViewTest, EscapePressesCancel) {
  FormView view(window, form);
  PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  view.RunModal(nullptr);
  EXPECT_TRUE(form.cancelled);
}

// Looks at the owner from inside the modal loop, then presses OK.
struct OwnerProbe {
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    ownerDisabled = !IsWindowEnabled(owner);
    PostMessageW(ok, BM_CLICK, 0, 0);
  }
  static inline HWND owner = nullptr;
  static inline HWND ok = nullptr;
  static inline bool ownerDisabled = false;
};

TEST_F(FormViewTest, ModalLoopKeepsTheOwnerDisabledAndGivesItBack) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  FormView view(window, form);
  OwnerProbe::owner = owner;
  OwnerProbe::ok = view.ChildFor(L"OK");
  OwnerProbe::ownerDisabled = false;
  SetTimer(nullptr, 0, 1, OwnerProbe::OnTimer);
  view.RunModal(owner);
  EXPECT_TRUE(OwnerProbe::ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(form.Shown());
  DestroyWindow(owner);
}

TEST_F(FormViewTest, ModalLoopEndsWhenTheFormIsUnloadedFromOutside) {
  FormView view(window, form);
  form.Unload();
  view.RunModal(nullptr);  // returns at once
  EXPECT_TRUE(form.Shown());
}

TEST_F(FormViewTest, QuitMessageEndsTheLoopAndReachesTheOuterLoop) {
  FormView view(window, form);
  PostQuitMessage(7);
  view.RunModal(nullptr);
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

}  // namespace
}  // namespace qx::win
