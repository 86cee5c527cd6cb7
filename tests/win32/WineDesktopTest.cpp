// What only Wine can show: the shell's balloon on the virtual desktop's taskbar, and two ways in
// which Wine's user32 differs from the emulated one on purpose. Everything the two share is
// pinned in tests/platform/WindowsConformanceTest.cpp, which runs on both.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "tests/support/TestDesktop.h"

namespace {

namespace os = tarnwick::os;
namespace test = tarnwick::test;
using namespace std::chrono_literals;
using tarnwick::platform::Sh;
using tarnwick::platform::Win;
using tarnwick::platform::win32::Win32Platform;

constexpr char kClassName[] = "TarnwickWineDesktopTestWindow";
constexpr os::UINT kTrayCallback = 0x0800;
constexpr auto kTrayWait = 20000ms;
constexpr auto kBalloonWait = 8000ms;
constexpr auto kGoneWait = 2000ms;

std::vector<os::UINT>* seen = nullptr;
// Set by a test to act on a message after it is noted.
void (*react)(os::HWND, os::UINT) = nullptr;

os::LRESULT TARNWICK_CALLBACK ClassProc(os::HWND window, os::UINT message, os::WPARAM wParam,
                                        os::LPARAM lParam) {
  if (seen != nullptr && (message == os::kWmDestroy || message == os::kWmNcDestroy)) {
    seen->push_back(message);
  }
  if (react != nullptr) react(window, message);
  return Win().DefWindowProcA(window, message, wParam, lParam);
}

class WineDesktop : public ::testing::Test {
 protected:
  void SetUp() override {
    os::WNDCLASSA windowClass;
    windowClass.lpfnWndProc = &ClassProc;
    windowClass.hInstance = Win().GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    ASSERT_NE(0, Win().RegisterClassA(&windowClass));
    window_ = Win().CreateWindowExA(os::kWsExToolWindow, kClassName, "", os::kWsPopup, 0, 0, 0, 0,
                                    nullptr, nullptr, Win().GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window_) << "no window: is DISPLAY an X server?";
  }
  void TearDown() override {
    seen = nullptr;
    react = nullptr;
    if (Win().IsWindow(window_)) Win().DestroyWindow(window_);
    Win().UnregisterClassA(kClassName, Win().GetModuleHandleA(nullptr));
  }

  Win32Platform platform_;
  os::HWND window_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// The notification area of the virtual desktop's taskbar

// The shell's balloon is a visible balloon-style tooltip window in the taskbar's process.
bool BalloonShown(DWORD shellProcess) {
  struct Search {
    DWORD process;
    bool found;
  } search{shellProcess, false};
  ::EnumWindows(
      [](HWND window, LPARAM param) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        char className[64] = {};
        ::GetClassNameA(window, className, sizeof className);
        if (process == s->process && ::lstrcmpiA(className, TOOLTIPS_CLASSA) == 0 &&
            (::GetWindowLongPtrA(window, GWL_STYLE) & TTS_BALLOON) != 0 &&
            ::IsWindowVisible(window)) {
          s->found = true;
        }
        return !s->found;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

using NotificationArea = WineDesktop;

TEST_F(NotificationArea, ABalloonShowsForItsIconAndGoesWithIt) {
  ASSERT_TRUE(test::NotificationAreaReady(kTrayWait))
      << "no Shell_TrayWnd: is Wine's virtual desktop (HKCU\\Software\\Wine\\Explorer Desktop) "
         "set, and DISPLAY an X server?";
  DWORD shellProcess = 0;
  ::GetWindowThreadProcessId(::FindWindowA("Shell_TrayWnd", nullptr), &shellProcess);

  os::NOTIFYICONDATAA data;
  data.hWnd = window_;
  data.uID = 0x51;
  data.uFlags = os::kNifMessage | os::kNifIcon | os::kNifTip;
  data.uCallbackMessage = kTrayCallback;
  data.hIcon = reinterpret_cast<os::HICON>(::LoadIcon(nullptr, IDI_APPLICATION));
  std::strcpy(data.szTip, "Tarnwick platform test");
  ASSERT_NE(0, Sh().Shell_NotifyIconA(os::kNimAdd, &data));

  ASSERT_FALSE(BalloonShown(shellProcess)) << "a balloon is up before ours";
  data.uFlags |= os::kNifInfo;
  std::strcpy(data.szInfoTitle, "Tarnwick");
  std::strcpy(data.szInfo, "You can restore program by clicking the icon");
  data.dwInfoFlags = os::kNiifInfo;
  data.uTimeout = 10000;
  const DWORD start = ::GetTickCount();
  const os::BOOL accepted = Sh().Shell_NotifyIconA(os::kNimModify, &data);
  EXPECT_NE(0, accepted);
  // Only a record of a size the shell knows carries the balloon text; of any other size the
  // call is still accepted, but no balloon ever shows.
  EXPECT_TRUE(test::PumpUntil([&] { return BalloonShown(shellProcess); }, kBalloonWait))
      << "no balloon within " << kBalloonWait.count() << " ms (another icon's balloon showing "
      << "at the same time delays ours)";
  std::printf("balloon shown after %lu ms\n", ::GetTickCount() - start);

  EXPECT_NE(0, Sh().Shell_NotifyIconA(os::kNimDelete, &data));
  EXPECT_TRUE(test::PumpUntil([&] { return !BalloonShown(shellProcess); }, kGoneWait))
      << "the balloon outlived its icon";
}

// ---------------------------------------------------------------------------------------------
// Where Wine's user32 and the emulated one differ on purpose

using WineUser32 = WineDesktop;

// Windows calls a WM_TIMER's procedure only when it belongs to one of the thread's timers; Wine
// calls whatever the lParam names. So a WM_TIMER that another process posts reaches arbitrary
// code under Wine, and the emulated user32 keeps Windows' check.
TEST_F(WineUser32, ADispatchedWmTimerCallsWhateverProcedureItsLParamNames) {
  static int forgedCalls = 0;
  forgedCalls = 0;
  const os::TIMERPROC forged = [](os::HWND, os::UINT, os::UINT_PTR, os::DWORD) CALLBACK {
    ++forgedCalls;
  };
  os::MSG message{window_, os::kWmTimer, 5, reinterpret_cast<os::LPARAM>(forged), 0, os::POINT{}};
  Win().DispatchMessageA(&message);
  EXPECT_EQ(1, forgedCalls);
}

// Asked again from its own WM_DESTROY or WM_NCDESTROY, DestroyWindow starts over: both messages
// come again. The emulated user32 reports such a call as a fault.
TEST_F(WineUser32, DestroyWindowAskedAgainFromTheWindowsOwnDestructionStartsOver) {
  for (os::UINT during : {os::kWmDestroy, os::kWmNcDestroy}) {
    os::HWND window = Win().CreateWindowExA(os::kWsExToolWindow, kClassName, "", os::kWsPopup, 0, 0,
                                            0, 0, nullptr, nullptr, Win().GetModuleHandleA(nullptr),
                                            nullptr);
    ASSERT_NE(nullptr, window);
    std::vector<os::UINT> messages;
    seen = &messages;
    static os::UINT again = 0;
    static bool asked = false;
    again = during;
    asked = false;
    react = [](os::HWND target, os::UINT message) {
      if (message == again && !asked) {
        asked = true;
        Win().DestroyWindow(target);
      }
    };
    EXPECT_NE(0, Win().DestroyWindow(window));
    react = nullptr;
    seen = nullptr;
    EXPECT_EQ(2, std::count(messages.begin(), messages.end(), os::kWmDestroy)) << during;
    EXPECT_NE(0, std::count(messages.begin(), messages.end(), os::kWmNcDestroy)) << during;
    EXPECT_EQ(0, Win().IsWindow(window));
  }
}

}  // namespace
