// The tray component and the interval timers on the real platform under Wine: a real icon, a
// real balloon, real WM_TIMERs through the shared hidden windows.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32/Win32Platform.h"
#include "tray/IntervalTimer.h"
#include "tray/SharedWindows.h"
#include "tray/TrayIcon.h"
#include "ui/Application.h"

namespace tarnwick::tray {
namespace {

class TrayComponent : public ::testing::Test {
 protected:
  TrayComponent() { app_.Initialize(); }
  // Runs the message loop until `done` or `milliseconds` have passed.
  template <typename Done>
  bool PumpUntil(Done done, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > milliseconds) return false;
      app_.ProcessMessages();
      Sleep(5);
    }
    return true;
  }

  platform::win32::Win32Platform os_;
  ui::Application app_;
};

TEST_F(TrayComponent, ARealIconIsAddedChangedGivenABalloonAndRemoved) {
  TTrayIcon icon;
  ui::Icon image;
  image.SetHandle(reinterpret_cast<os::HICON>(LoadIconA(nullptr, IDI_APPLICATION)));
  icon.SetIcon(image);
  icon.SetHint("Tarnwick v1.0");
  EXPECT_TRUE(icon.AddIcon());
  EXPECT_TRUE(icon.UpdateIcon());
  icon.SetHint(std::string(200, 'h'));
  EXPECT_EQ(127u, std::strlen(icon.NotifyData().szTip));
  EXPECT_TRUE(icon.UpdateIcon());
  EXPECT_TRUE(icon.DisplayBalloon("Tarnwick v1.0b Personal",
                                  "You can restore program by clicking the icon", 1, 10));
  EXPECT_EQ(os::kNifMessage | os::kNifIcon | os::kNifTip, icon.NotifyData().uFlags);
  EXPECT_TRUE(icon.RemoveIcon());
  EXPECT_FALSE(icon.UpdateIcon());  // gone: the shell refuses the change
}

TEST_F(TrayComponent, ACallbackPostedToTheTrayWindowReachesTheIcon) {
  TTrayIcon icon;
  int clicks = 0;
  icon.OnClick = [&](ui::Component&) { ++clicks; };
  ::HWND window = reinterpret_cast<::HWND>(TrayWindow()->Handle());
  PostMessageA(window, kTrayCallbackMessage, icon.CallbackId(), WM_LBUTTONDOWN);
  PostMessageA(window, kTrayCallbackMessage, icon.CallbackId(), WM_LBUTTONUP);
  PostMessageA(window, kTrayCallbackMessage, icon.CallbackId() + 100, WM_LBUTTONUP);
  EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }, 2000));
}

TEST_F(TrayComponent, TimersTickThroughTheSharedHiddenWindow) {
  int ticks = 0;
  TIntervalTimer timer(20, [&](TIntervalTimer&) { ++ticks; });
  timer.SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }, 3000));
  timer.SetEnabled(false);
  const int stopped = ticks;
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(stopped, ticks);
  EXPECT_TRUE(IsWindow(reinterpret_cast<::HWND>(TimerWindow()->Handle())));
}

}  // namespace
}  // namespace tarnwick::tray
