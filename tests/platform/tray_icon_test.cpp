#include "platform/sys/tray_icon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using sys::NOTIFYICONDATAA;

NOTIFYICONDATAA Record(forms::TForm* window, bool with_icon_and_tip) {
  NOTIFYICONDATAA data;
  data.cbSize = sys::kNotifyIconDataFirstSize;
  data.hWnd = window;
  data.uID = 1006;
  data.uFlags = sys::NIF_MESSAGE | sys::NIF_ICON | sys::NIF_TIP;
  data.uCallbackMessage = 0x8064;
  if (with_icon_and_tip) {
    data.hIcon = sys::ApplicationIconHandle();
    std::strncpy(data.szTip, "QVK Server", sizeof data.szTip - 1);
  }
  return data;
}

class Tray : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = sys::SetTrayHost(&host_); }
  void TearDown() override { sys::SetTrayHost(previous_); }
  sys::RecordingTrayHost host_;
  sys::TrayHost* previous_ = nullptr;
  forms::TForm window_{"Form1"};
};

TEST_F(Tray, AddModifyDelete) {
  NOTIFYICONDATAA add = Record(&window_, false);
  NOTIFYICONDATAA modify = Record(&window_, true);
  EXPECT_TRUE(sys::Shell_NotifyIconA(sys::NIM_ADD, &add));
  EXPECT_FALSE(sys::Shell_NotifyIconA(sys::NIM_ADD, &add));  // already there
  EXPECT_TRUE(sys::Shell_NotifyIconA(sys::NIM_MODIFY, &modify));
  const sys::TrayIconState* icon = host_.Find(&window_, 1006);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->tip, "QVK Server");
  EXPECT_TRUE(icon->has_icon);
  EXPECT_EQ(icon->callback_message, 0x8064u);

  // A change carries only the fields its flags name.
  NOTIFYICONDATAA tip_only = Record(&window_, false);
  tip_only.uFlags = sys::NIF_TIP;
  std::strcpy(tip_only.szTip, "other");
  EXPECT_TRUE(sys::Shell_NotifyIconA(sys::NIM_MODIFY, &tip_only));
  EXPECT_TRUE(host_.Find(&window_, 1006)->has_icon);
  EXPECT_EQ(host_.Find(&window_, 1006)->tip, "other");

  EXPECT_TRUE(sys::Shell_NotifyIconA(sys::NIM_DELETE, &add));
  EXPECT_EQ(host_.Find(&window_, 1006), nullptr);
  EXPECT_FALSE(sys::Shell_NotifyIconA(sys::NIM_DELETE, &add));
  EXPECT_FALSE(sys::Shell_NotifyIconA(sys::NIM_MODIFY, &modify));
  EXPECT_FALSE(sys::Shell_NotifyIconA(7, &add));
  EXPECT_EQ(host_.calls.size(), 7u);
}

TEST_F(Tray, TipIsReadWithinItsField) {
  NOTIFYICONDATAA data = Record(&window_, true);
  std::memset(data.szTip, 'x', sizeof data.szTip);  // no NUL at all
  ASSERT_TRUE(sys::Shell_NotifyIconA(sys::NIM_ADD, &data));
  EXPECT_EQ(host_.Find(&window_, 1006)->tip, std::string(64, 'x'));
}

TEST_F(Tray, ClicksReachTheWindowAsItsCallbackMessage) {
  std::vector<std::intptr_t> mouse;
  window_.OnWindowMessage = [&](std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam,
                                std::intptr_t& result) {
    if (message != 0x8064 || wparam != 1006) return false;
    mouse.push_back(lparam);
    result = 0;
    return true;
  };
  NOTIFYICONDATAA add = Record(&window_, false);
  ASSERT_TRUE(sys::Shell_NotifyIconA(sys::NIM_ADD, &add));
  sys::DeliverTrayClick(*host_.Find(&window_, 1006), forms::WM_LBUTTONUP);
  sys::DeliverTrayClick(*host_.Find(&window_, 1006), forms::WM_RBUTTONUP);
  EXPECT_EQ(mouse, (std::vector<std::intptr_t>{0x202, 0x205}));
  EXPECT_EQ(window_.Perform(0x1234, 0, 0), 0);  // not handled
}

TEST_F(Tray, MissingTrayFailsQuietly) {
  NOTIFYICONDATAA add = Record(&window_, true);
  host_.available = false;
  EXPECT_FALSE(sys::Shell_NotifyIconA(sys::NIM_ADD, &add));
  sys::SetTrayHost(nullptr);
  EXPECT_FALSE(sys::Shell_NotifyIconA(sys::NIM_ADD, &add));
  EXPECT_FALSE(sys::Shell_NotifyIconA(sys::NIM_ADD, nullptr));
  NOTIFYICONDATAA no_window = add;
  no_window.hWnd = nullptr;
  sys::SetTrayHost(&host_);
  host_.available = true;
  EXPECT_FALSE(sys::Shell_NotifyIconA(sys::NIM_ADD, &no_window));
  EXPECT_TRUE(host_.icons.empty());
}

}  // namespace
