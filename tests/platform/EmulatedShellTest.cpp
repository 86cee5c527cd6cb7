// The emulated notification area: which calls it accepts, what it keeps, and how it plays the
// user's acts and a restarted taskbar back to the program's windows.
#include "platform/emulated/EmulatedShell.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/emulated/EmulatedPlatform.h"

namespace tarnwick::platform::emulated {
namespace {

using namespace os;
using Balloon = EmulatedShell::Balloon;
using Call = EmulatedShell::Call;

constexpr UINT kCallbackMessage = kWmUser + 0x400;

struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Received&) const = default;
};
std::vector<Received>* received = nullptr;

LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kWmNcCreate && message != kWmCreate) {
    received->push_back({window, message, wParam, lParam});
  }
  return Win().DefWindowProcA(window, message, wParam, lParam);
}

class EmulatedShellTest : public ::testing::Test {
 protected:
  EmulatedShellTest() {
    received = &received_;
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = &RecordingProc;
    windowClass.lpszClassName = "TMessageWindow";
    win_.RegisterClassA(&windowClass);
    window_ = Create();
  }
  ~EmulatedShellTest() override { received = nullptr; }

  HWND Create(DWORD style = kWsPopup, HWND parent = nullptr) {
    return win_.CreateWindowExA(kWsExToolWindow, "TMessageWindow", "", style, 0, 0, 0, 0, parent,
                                nullptr, nullptr, nullptr);
  }
  NOTIFYICONDATAA Data(UINT id, const char* tip = "Tarnwick v1.0", HWND window = nullptr) const {
    NOTIFYICONDATAA data;
    data.cbSize = 488;
    data.hWnd = window != nullptr ? window : window_;
    data.uID = id;
    data.uFlags = kNifMessage | kNifIcon | kNifTip;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = reinterpret_cast<HICON>(std::uintptr_t{0x100 + id});
    std::strncpy(data.szTip, tip, sizeof data.szTip - 1);
    return data;
  }
  BOOL Notify(DWORD message, NOTIFYICONDATAA data) {
    return shell_.Shell_NotifyIconA(message, &data);
  }

  std::vector<Received> received_;
  EmulatedPlatform os_;
  EmulatedWindows& win_ = os_.windows();
  EmulatedShell& shell_ = os_.shell();
  HWND window_ = nullptr;
};

TEST_F(EmulatedShellTest, EachCallSucceedsOnlyWhenTheIconIsOrIsNotThereAsItRequires) {
  struct Step {
    DWORD message;
    BOOL result;
    std::size_t iconsAfter;
  };
  const std::vector<Step> steps = {
      {kNimModify, 0, 0}, {kNimSetVersion, 0, 0},     {kNimDelete, 0, 0},     {kNimAdd, 1, 1},
      {kNimAdd, 0, 1},    {kNimModify, 1, 1},         {kNimSetVersion, 1, 1}, {kNimDelete, 1, 0},
      {kNimDelete, 0, 0}, {3 /*NIM_SETFOCUS*/, 0, 0},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(steps[i].result, Notify(steps[i].message, Data(7))) << "step " << i;
    EXPECT_EQ(steps[i].iconsAfter, shell_.IconCount()) << "step " << i;
  }
  ASSERT_EQ(steps.size(), shell_.Calls().size());
  for (std::size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(steps[i].message, shell_.Calls()[i].message);
    EXPECT_EQ(steps[i].result, shell_.Calls()[i].result);
  }
  EXPECT_EQ(3u, shell_.CallCount(kNimDelete));
  EXPECT_EQ(0, shell_.Shell_NotifyIconA(kNimAdd, nullptr));
}

TEST_F(EmulatedShellTest, IconsAreTheirWindowAndIdTogether) {
  HWND other = Create();
  EXPECT_NE(0, Notify(kNimAdd, Data(1)));
  EXPECT_NE(0, Notify(kNimAdd, Data(1, "", other)));
  EXPECT_NE(0, Notify(kNimAdd, Data(2)));
  EXPECT_NE(0, Notify(kNimDelete, Data(1)));
  EXPECT_EQ(nullptr, shell_.FindIcon(window_, 1));
  EXPECT_NE(nullptr, shell_.FindIcon(other, 1));
  EXPECT_NE(nullptr, shell_.FindIcon(window_, 2));
  EXPECT_EQ(2u, shell_.Icons().size());
}

TEST_F(EmulatedShellTest, AModificationChangesOnlyTheFieldsItsFlagsName) {
  ASSERT_NE(0, Notify(kNimAdd, Data(1, "First")));
  NOTIFYICONDATAA iconOnly = Data(1, "Second");
  iconOnly.uFlags = kNifIcon;
  iconOnly.hIcon = reinterpret_cast<HICON>(std::uintptr_t{0x999});
  iconOnly.uCallbackMessage = 0;
  ASSERT_NE(0, Notify(kNimModify, iconOnly));
  const NOTIFYICONDATAA* icon = shell_.FindIcon(window_, 1);
  ASSERT_NE(nullptr, icon);
  EXPECT_STREQ("First", icon->szTip);
  EXPECT_EQ(iconOnly.hIcon, icon->hIcon);
  EXPECT_EQ(kCallbackMessage, icon->uCallbackMessage);

  ASSERT_NE(0, Notify(kNimModify, Data(1, "")));
  EXPECT_STREQ("", shell_.FindIcon(window_, 1)->szTip);
}

TEST_F(EmulatedShellTest, TheRecordIsACopyOfTheDataAsGiven) {
  NOTIFYICONDATAA data = Data(1);
  data.cbSize = 488;
  ASSERT_NE(0, shell_.Shell_NotifyIconA(kNimAdd, &data));
  EXPECT_EQ(488u, data.cbSize);  // left alone
  std::strcpy(data.szTip, "Changed afterwards");
  const Call& call = shell_.Calls().back();
  EXPECT_EQ(488u, call.data.cbSize);
  EXPECT_STREQ("Tarnwick v1.0", call.data.szTip);
  EXPECT_STREQ("Tarnwick v1.0", shell_.FindIcon(window_, 1)->szTip);
}

TEST_F(EmulatedShellTest, ABalloonIsRecordedForAnAcceptedCallWithInfoText) {
  NOTIFYICONDATAA balloon = Data(1);
  balloon.uFlags |= kNifInfo;
  std::strcpy(balloon.szInfoTitle, "Tarnwick v1.0b Personal");
  std::strcpy(balloon.szInfo, "You can restore program by clicking the icon");
  balloon.dwInfoFlags = kNiifInfo;
  balloon.uTimeout = 10000;

  NOTIFYICONDATAA withoutFlag = balloon;
  withoutFlag.uFlags &= ~kNifInfo;
  NOTIFYICONDATAA emptyText = balloon;
  emptyText.szInfo[0] = '\0';
  NOTIFYICONDATAA unterminated = balloon;
  std::memset(unterminated.szInfo, 'x', sizeof unterminated.szInfo);
  std::memset(unterminated.szInfoTitle, 'y', sizeof unterminated.szInfoTitle);

  struct Step {
    DWORD message;
    NOTIFYICONDATAA data;
    std::size_t balloonsAfter;
  };
  const std::vector<Step> steps = {
      {kNimModify, balloon, 0},  // no icon yet: refused, nothing shown
      {kNimAdd, balloon, 1},      {kNimModify, withoutFlag, 1},
      {kNimModify, emptyText, 1}, {kNimModify, unterminated, 2},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    NOTIFYICONDATAA data = steps[i].data;
    shell_.Shell_NotifyIconA(steps[i].message, &data);
    EXPECT_EQ(steps[i].balloonsAfter, shell_.Balloons().size()) << "step " << i;
  }
  ASSERT_EQ(2u, shell_.Balloons().size());
  const Balloon& shown = shell_.Balloons()[0];
  EXPECT_EQ(window_, shown.window);
  EXPECT_EQ(1u, shown.id);
  EXPECT_EQ("Tarnwick v1.0b Personal", shown.title);
  EXPECT_EQ("You can restore program by clicking the icon", shown.text);
  EXPECT_EQ(kNiifInfo, shown.flags);
  EXPECT_EQ(10000u, shown.timeout);
  EXPECT_EQ(std::string(256, 'x'), shell_.Balloons()[1].text);
  EXPECT_EQ(std::string(64, 'y'), shell_.Balloons()[1].title);
}

TEST_F(EmulatedShellTest, ARefusingShellChangesNothingAndStillRecords) {
  ASSERT_NE(0, Notify(kNimAdd, Data(1, "Kept")));
  shell_.RefuseAll();
  NOTIFYICONDATAA balloon = Data(1, "Lost");
  balloon.uFlags |= kNifInfo;
  std::strcpy(balloon.szInfo, "text");
  EXPECT_EQ(0, Notify(kNimModify, balloon));
  EXPECT_EQ(0, Notify(kNimAdd, Data(2)));
  EXPECT_EQ(0, Notify(kNimDelete, Data(1)));
  EXPECT_STREQ("Kept", shell_.FindIcon(window_, 1)->szTip);
  EXPECT_EQ(1u, shell_.IconCount());
  EXPECT_TRUE(shell_.Balloons().empty());
  EXPECT_EQ(4u, shell_.Calls().size());
  shell_.RefuseAll(false);
  EXPECT_NE(0, Notify(kNimAdd, Data(2)));
}

TEST_F(EmulatedShellTest, AnInjectedCallbackReachesTheIconsWindowWithItsIdAndTheMouseMessage) {
  HWND other = Create();
  ASSERT_NE(0, Notify(kNimAdd, Data(42)));
  NOTIFYICONDATAA silent = Data(5, "", other);
  silent.uFlags = kNifTip;  // asked for no callbacks
  ASSERT_NE(0, Notify(kNimAdd, silent));
  received_.clear();

  EXPECT_TRUE(shell_.InjectCallback(42, kWmLButtonDown));
  EXPECT_TRUE(shell_.InjectCallback(window_, 42, kNinBalloonUserClick));
  EXPECT_FALSE(shell_.InjectCallback(43, kWmLButtonDown));
  EXPECT_FALSE(shell_.InjectCallback(other, 42, kWmLButtonDown));
  EXPECT_FALSE(shell_.InjectCallback(5, kWmLButtonDown));
  EXPECT_TRUE(received_.empty());  // posted, not sent
  win_.ProcessPending();
  EXPECT_EQ((std::vector<Received>{{window_, kCallbackMessage, 42, kWmLButtonDown},
                                   {window_, kCallbackMessage, 42, kNinBalloonUserClick}}),
            received_);
}

TEST_F(EmulatedShellTest, ARecreatedTaskbarForgetsTheIconsAndTellsEveryTopLevelWindow) {
  ASSERT_NE(nullptr, Create(0x40000000 /*WS_CHILD*/, window_));  // not top-level: not told
  HWND second = Create();
  ASSERT_NE(0, Notify(kNimAdd, Data(1)));
  const UINT taskbarCreated = win_.RegisterWindowMessageA("TaskbarCreated");
  received_.clear();

  shell_.RecreateTaskbar();
  EXPECT_EQ(0u, shell_.IconCount());
  EXPECT_EQ(
      (std::vector<Received>{{window_, taskbarCreated, 0, 0}, {second, taskbarCreated, 0, 0}}),
      received_);
  EXPECT_EQ(0, Notify(kNimModify, Data(1)));
  EXPECT_NE(0, Notify(kNimAdd, Data(1)));
}

TEST_F(EmulatedShellTest, FileVersionsAreSettableAndCommonControlsDefaultToSixZero) {
  struct Case {
    const char* name;
    DWORD version;
  };
  for (const Case& c : {Case{"comctl32.dll", 0x00060000}, Case{"COMCTL32.DLL", 0x00060000},
                        Case{"shell32.dll", 0}, Case{nullptr, 0}}) {
    EXPECT_EQ(c.version, shell_.FileVersion(c.name)) << (c.name ? c.name : "null");
  }
  shell_.SetFileVersion("comctl32.dll", 0x00040046);
  EXPECT_EQ(0x00040046u, shell_.FileVersion("Comctl32.dll"));
}

}  // namespace
}  // namespace tarnwick::platform::emulated
