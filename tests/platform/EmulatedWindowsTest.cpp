// What only the emulated user32 has: its records of windows, timers, the queue and the
// foreground, the test drivers that move its clock, and the faults it reports where user32 would
// hang, recurse or misbehave. What it shares with user32 is pinned in WindowsConformanceTest.cpp,
// which runs on both.
#include "platform/emulated/EmulatedWindows.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/emulated/EmulatedPlatform.h"
#include "tests/support/MessageScript.h"

namespace tarnwick::platform::emulated {
namespace {

using namespace os;
using namespace std::chrono_literals;

using test::Received;
using test::Script;
using test::script;

LRESULT ClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  script->received.push_back({window, message, wParam, lParam, Win().GetTickCount(), "class"});
  if (script->answer) {
    if (auto result = script->answer(window, message, wParam, lParam)) return *result;
  }
  return Win().DefWindowProcA(window, message, wParam, lParam);
}

void TimerProc(HWND window, UINT message, UINT_PTR id, DWORD tick) {
  script->received.push_back({window, message, id, 0, tick, "timerproc"});
}

void ForgedTimerProc(HWND window, UINT message, UINT_PTR id, DWORD tick) {
  script->received.push_back({window, message, id, 0, tick, "forged"});
}

class EmulatedWindowsTest : public ::testing::Test {
 protected:
  EmulatedWindowsTest() {
    script = &script_;
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = &ClassProc;
    windowClass.lpszClassName = "TestWindow";
    windowClass.hInstance = win_.GetModuleHandleA(nullptr);
    win_.RegisterClassA(&windowClass);
  }
  ~EmulatedWindowsTest() override { script = nullptr; }

  HWND Create(const char* title = "", DWORD style = kWsPopup, HWND parent = nullptr) {
    return win_.CreateWindowExA(kWsExToolWindow, "TestWindow", title, style, 0, 0, 0, 0, parent,
                                nullptr, win_.GetModuleHandleA(nullptr), nullptr);
  }
  std::vector<UINT> Messages(HWND window = nullptr) const {
    std::vector<UINT> out;
    for (const Received& r : script_.received) {
      if (window == nullptr || r.window == window) out.push_back(r.message);
    }
    return out;
  }
  // WM_TIMER deliveries as (id, ticks after the start).
  std::vector<std::pair<UINT_PTR, DWORD>> Ticks() const {
    std::vector<std::pair<UINT_PTR, DWORD>> out;
    for (const Received& r : script_.received) {
      if (r.message == kWmTimer) out.emplace_back(r.wParam, r.tick - EmulatedWindows::kStartTick);
    }
    return out;
  }

  Script script_;
  EmulatedPlatform os_;
  EmulatedWindows& win_ = os_.windows();
};

constexpr DWORD kWsVisible = 0x10000000;
constexpr DWORD kWsChild = 0x40000000;

// --- The record of windows -------------------------------------------------------------------

TEST_F(EmulatedWindowsTest, InfoShowsAWindowAsItWasCreated) {
  HWND parent = Create("Owner", kWsPopup | kWsVisible);
  HWND window = Create("Title", kWsPopup, parent);
  ASSERT_NE(nullptr, window);

  auto info = win_.Info(window);
  ASSERT_TRUE(info);
  EXPECT_EQ("TestWindow", info->className);
  EXPECT_EQ("Title", info->title);
  EXPECT_EQ(kWsPopup, info->style);
  EXPECT_EQ(kWsExToolWindow, info->exStyle);
  EXPECT_EQ(parent, info->parent);
  EXPECT_FALSE(info->visible);
  EXPECT_TRUE(win_.Info(parent)->visible);
  EXPECT_EQ(kWsPopup | kWsVisible, win_.Info(parent)->style);
  EXPECT_EQ(0, info->userData);
  EXPECT_EQ(&ClassProc, info->proc);
  EXPECT_EQ(2u, win_.WindowCount());
  EXPECT_EQ((std::vector<HWND>{parent, window}), win_.TopLevelWindows());

  win_.DestroyWindow(window);
  EXPECT_FALSE(win_.Info(window));
  EXPECT_EQ(1u, win_.WindowCount());
}

TEST_F(EmulatedWindowsTest, ARefusedCreationLeavesNoRecord) {
  for (const auto& [refusedAt, answer] : {std::pair<UINT, LRESULT>{kWmNcCreate, 0},
                                          std::pair<UINT, LRESULT>{kWmCreate, -1}}) {
    script_.answer = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message == refusedAt) return answer;
      return std::nullopt;
    };
    EXPECT_EQ(nullptr, Create()) << refusedAt;
    EXPECT_EQ(0u, win_.WindowCount()) << refusedAt;
  }
}

TEST_F(EmulatedWindowsTest, DestructionForgetsTheWindowsTimersAndPostedMessages) {
  HWND doomed = Create();
  HWND other = Create();
  win_.SetTimer(doomed, 1, 100, nullptr);
  win_.SetTimer(other, 2, 100, nullptr);
  win_.PostMessageA(doomed, kWmUser, 1, 0);
  win_.PostMessageA(other, kWmUser, 2, 0);
  script_.answer = [&](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (window == doomed && message == kWmDestroy) {
      win_.PostMessageA(doomed, kWmUser, 3, 0);
      win_.SetTimer(doomed, 4, 10, nullptr);
    }
    return std::nullopt;
  };
  win_.DestroyWindow(doomed);
  ASSERT_EQ(1u, win_.TimerCount());
  EXPECT_EQ(other, win_.Timers()[0].window);
  ASSERT_EQ(1u, win_.PostedMessages().size());
  EXPECT_EQ(other, win_.PostedMessages()[0].hwnd);

  // A window that destroys itself on its own tick takes its timer along.
  script_.answer = [&](HWND target, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmTimer) win_.DestroyWindow(target);
    return std::nullopt;
  };
  win_.Advance(100ms);
  EXPECT_EQ(0u, win_.TimerCount());
  EXPECT_EQ(0u, win_.WindowCount());
}

TEST_F(EmulatedWindowsTest, AThrowingProcedureLeavesNoHalfMadeOrHalfDestroyedWindow) {
  script_.answer = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmCreate || message == kWmDestroy) throw std::runtime_error("boom");
    return std::nullopt;
  };
  EXPECT_THROW(Create(), std::runtime_error);
  EXPECT_EQ(0u, win_.WindowCount());

  script_.answer = nullptr;
  HWND window = Create();
  win_.SetTimer(window, 1, 100, nullptr);
  win_.PostMessageA(window, kWmUser, 0, 0);
  script_.answer = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmDestroy) throw std::runtime_error("boom");
    return std::nullopt;
  };
  EXPECT_THROW(win_.DestroyWindow(window), std::runtime_error);
  EXPECT_EQ(0, win_.IsWindow(window));
  EXPECT_EQ(0u, win_.TimerCount());
  EXPECT_TRUE(win_.PostedMessages().empty());
}

// user32 starts a window's destruction over when it is asked again from WM_DESTROY or
// WM_NCDESTROY (WineDesktopTest.cpp pins it), so a program must never ask; here it is a fault.
TEST_F(EmulatedWindowsTest, DestroyingAWindowFromItsOwnDestructionIsAFault) {
  for (UINT during : {kWmDestroy, kWmNcDestroy}) {
    HWND window = Create();
    script_.answer = [&](HWND target, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message == during) win_.DestroyWindow(target);
      return std::nullopt;
    };
    EXPECT_THROW(win_.DestroyWindow(window), std::logic_error) << during;
    EXPECT_EQ(0, win_.IsWindow(window)) << during;
    script_.answer = nullptr;
  }
  EXPECT_EQ(0u, win_.WindowCount());
}

TEST_F(EmulatedWindowsTest, FindWindowWithNeitherClassNorTitleGivesTheNewestWindow) {
  Create("Older");
  HWND newer = Create("Newer");
  Create("Child", kWsChild, newer);
  EXPECT_EQ(newer, win_.FindWindowA(nullptr, nullptr));
}

TEST_F(EmulatedWindowsTest, SetForegroundWindowRecordsEveryCall) {
  HWND first = Create();
  HWND second = Create();
  win_.SetForegroundWindow(first);
  win_.SetForegroundWindow(second);
  win_.SetForegroundWindow(nullptr);
  EXPECT_EQ(second, win_.ForegroundWindow());
  EXPECT_EQ((std::vector<HWND>{first, second, nullptr}), win_.ForegroundCalls());
  win_.DestroyWindow(second);
  EXPECT_EQ(nullptr, win_.ForegroundWindow());
}

// --- The queue and its drivers ---------------------------------------------------------------

TEST_F(EmulatedWindowsTest, ProcessPendingLeavesWmQuitForTheMessageLoop) {
  HWND window = Create();
  win_.SetTimer(window, 1, 10, nullptr);
  win_.PostMessageA(window, kWmUser, 7, 0);
  win_.PostQuitMessage(3);
  win_.SkipTime(50ms);
  EXPECT_EQ(2u, win_.ProcessPending());  // the message and the timer; WM_QUIT waits
  EXPECT_EQ(3, win_.PendingQuit());
  MSG message;
  ASSERT_EQ(0, win_.GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(3u, message.wParam);
  EXPECT_FALSE(win_.PendingQuit());
}

TEST_F(EmulatedWindowsTest, GetMessageMovesTheClockToTheNextTimerAndThrowsWhenNothingCouldCome) {
  HWND window = Create();
  win_.SetTimer(window, 9, 1000, nullptr);
  MSG message;
  ASSERT_EQ(1, win_.GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(9u, message.wParam);
  EXPECT_EQ(EmulatedWindows::kStartTick + 1000, win_.GetTickCount());
  EXPECT_EQ(EmulatedWindows::kStartTick + 1000, message.time);

  win_.KillTimer(window, 9);
  EXPECT_THROW(win_.GetMessageA(&message, nullptr, 0, 0), std::logic_error);
  win_.SetTimer(window, 9, 1000, nullptr);  // a timer the filter does not take does not count
  EXPECT_THROW(win_.GetMessageA(&message, nullptr, kWmUser, kWmUser), std::logic_error);
}

// user32 on Windows checks a WM_TIMER's procedure against the thread's timers; Wine does not
// (WineDesktopTest.cpp pins it). The emulator keeps the check, so no test comes to rely on the
// laxer one.
TEST_F(EmulatedWindowsTest, ADispatchedWmTimerNeverCallsAForgedProcedure) {
  HWND window = Create();
  win_.SetTimer(window, 5, 100, &TimerProc);
  script_.received.clear();
  MSG forged{window, kWmTimer, 5, reinterpret_cast<LPARAM>(&ForgedTimerProc), 0, POINT{}};
  EXPECT_EQ(0, win_.DispatchMessageA(&forged));
  EXPECT_TRUE(script_.received.empty());
  MSG real{window, kWmTimer, 5, reinterpret_cast<LPARAM>(&TimerProc), 0, POINT{}};
  win_.DispatchMessageA(&real);
  ASSERT_EQ(1u, script_.received.size());
  EXPECT_EQ("timerproc", script_.received[0].by);
}

TEST_F(EmulatedWindowsTest, AHandlerThatKeepsPostingIsStoppedInsteadOfHanging) {
  HWND window = Create();
  script_.answer = [&](HWND target, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmUser) win_.PostMessageA(target, kWmUser, 0, 0);
    return 0;
  };
  win_.PostMessageA(window, kWmUser, 0, 0);
  EXPECT_THROW(win_.ProcessPending(), std::logic_error);
}

// --- Timers on the virtual clock -------------------------------------------------------------

TEST_F(EmulatedWindowsTest, AdvanceDeliversEveryTickInTimeOrderAndTiesInTheOrderSet) {
  HWND window = Create();
  EXPECT_EQ(2u, win_.SetTimer(window, 2, 1500, nullptr));
  EXPECT_EQ(1u, win_.SetTimer(window, 1, 1000, nullptr));
  EXPECT_EQ(5u, win_.Advance(3000ms));
  EXPECT_EQ((std::vector<std::pair<UINT_PTR, DWORD>>{
                {1, 1000}, {2, 1500}, {1, 2000}, {2, 3000}, {1, 3000}}),
            Ticks());
  script_.received.clear();
  win_.KillTimer(window, 2);
  EXPECT_EQ(5u, win_.Advance(5000ms));
  EXPECT_EQ(EmulatedWindows::kStartTick + 8000, win_.GetTickCount());
}

TEST_F(EmulatedWindowsTest, MessagesPostedByATickAreHandledBeforeTheClockMovesOn) {
  HWND window = Create();
  win_.SetTimer(window, 1, 100, nullptr);
  script_.answer = [&](HWND target, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmTimer) {
      win_.PostMessageA(target, kWmUser, 0, 0);
      win_.SetTimer(target, 2, 50, nullptr);  // set during the run, due within it
    }
    return 0;
  };
  script_.received.clear();
  win_.Advance(200ms);
  std::vector<std::pair<UINT, DWORD>> seen;
  for (const Received& r : script_.received) {
    seen.emplace_back(r.message, r.tick - EmulatedWindows::kStartTick);
  }
  EXPECT_EQ((std::vector<std::pair<UINT, DWORD>>{{kWmTimer, 100},
                                                 {kWmUser, 100},
                                                 {kWmTimer, 150},
                                                 {kWmUser, 150},
                                                 {kWmTimer, 200},
                                                 {kWmUser, 200}}),
            seen);
}

TEST_F(EmulatedWindowsTest, TimersAreRecordedOnceEachAtLeastTenMillisecondsApartAndCanBeRefused) {
  HWND window = Create();
  win_.RefuseTimers();
  EXPECT_EQ(0u, win_.SetTimer(window, 1, 100, nullptr));
  win_.RefuseTimers(false);
  EXPECT_EQ(0u, win_.TimerCount());

  win_.SetTimer(window, 1, 1000, nullptr);
  win_.SetTimer(window, 1, 1000, nullptr);
  EXPECT_EQ(1u, win_.TimerCount());
  const UINT_PTR first = win_.SetTimer(nullptr, 77, 100, nullptr);
  win_.SetTimer(nullptr, 77, 100, nullptr);
  win_.SetTimer(nullptr, first, 200, nullptr);
  EXPECT_EQ(3u, win_.TimerCount());
  win_.KillTimer(window, 1);

  win_.SetTimer(window, 3, 0, nullptr);
  EXPECT_EQ(10u, win_.Timers().back().elapse);
  script_.received.clear();
  win_.Advance(9ms);
  EXPECT_TRUE(Ticks().empty());
  win_.Advance(1ms);
  EXPECT_EQ(1u, Ticks().size());
}

TEST_F(EmulatedWindowsTest, AThrowingTimerHandlerPropagatesAndTheTimerRunsOn) {
  HWND window = Create();
  win_.SetTimer(window, 1, 100, nullptr);
  win_.PostMessageA(window, kWmUser, 0, 0);
  script_.answer = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmTimer || message == kWmUser) throw std::runtime_error("handler failed");
    return 0;
  };
  EXPECT_THROW(win_.ProcessPending(), std::runtime_error);  // the posted message: consumed
  EXPECT_THROW(win_.Advance(300ms), std::runtime_error);    // the tick at 100
  script_.answer = nullptr;
  script_.received.clear();
  win_.Advance(200ms);
  EXPECT_EQ((std::vector<std::pair<UINT_PTR, DWORD>>{{1, 200}, {1, 300}}), Ticks());
}

// --- Input and system facts, and the platform --------------------------------------------------

TEST_F(EmulatedWindowsTest, KeysReadAsDownByTheTopBitAndTheCursorCanBeUnreadable) {
  win_.SetKeyDown(kVkShift);
  EXPECT_LT(win_.GetAsyncKeyState(kVkShift), 0);
  EXPECT_EQ(0, win_.GetAsyncKeyState(kVkControl));
  win_.SetKeyDown(kVkShift, false);
  EXPECT_EQ(0, win_.GetAsyncKeyState(kVkShift));
  POINT point;
  win_.PlaceCursor(POINT{640, 480});
  win_.FailGetCursorPos();
  EXPECT_EQ(0, win_.GetCursorPos(&point));
}

TEST(EmulatedPlatformServicesTest, InstallsItsWindowsAndShellWithTheRegistry) {
  EXPECT_THROW(Win(), std::logic_error);
  {
    EmulatedPlatform platform;
    EXPECT_EQ(&platform.windows(), &Win());
    EXPECT_EQ(&platform.shell(), &Sh());
    EXPECT_EQ(&platform.registry(), &Reg());
  }
  EXPECT_THROW(Sh(), std::logic_error);
}

}  // namespace
}  // namespace tarnwick::platform::emulated
