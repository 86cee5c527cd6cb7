#include "tray/IntervalTimer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>

#include "platform/emulated/EmulatedPlatform.h"
#include "tray/SharedWindows.h"
#include "ui/Application.h"
#include "tests/support/Errors.h"

namespace tarnwick::tray {
namespace {

using namespace std::chrono_literals;
using namespace platform::os;
using platform::emulated::EmulatedPlatform;

class IntervalTimerTest : public ::testing::Test {
 protected:
  // A timer that counts its ticks.
  std::unique_ptr<TIntervalTimer> Counting(UINT interval, int& ticks) {
    return std::make_unique<TIntervalTimer>(interval, [&ticks](TIntervalTimer&) { ++ticks; });
  }
  void Advance(std::chrono::milliseconds span) { os_.windows().Advance(span); }

  EmulatedPlatform os_;
};

TEST_F(IntervalTimerTest, AZeroIntervalNeverRuns) {
  int ticks = 0;
  auto timer = Counting(0, ticks);
  timer->SetEnabled(true);
  EXPECT_FALSE(timer->Enabled());
  EXPECT_EQ(0u, os_.windows().TimerCount());
  Advance(5000ms);
  EXPECT_EQ(0, ticks);
}

TEST_F(IntervalTimerTest, AnEnabledTimerTicksOncePerInterval) {
  int ticks = 0;
  auto timer = Counting(1000, ticks);
  timer->SetEnabled(true);
  Advance(999ms);
  EXPECT_EQ(0, ticks);
  Advance(4001ms);
  EXPECT_EQ(5, ticks);
}

TEST_F(IntervalTimerTest, ANewIntervalRestartsThePeriodAndTheSameOneChangesNothing) {
  int ticks = 0;
  auto timer = Counting(1000, ticks);
  timer->SetEnabled(true);
  Advance(600ms);
  timer->SetInterval(1000);  // same value: the tick stays due at 1000
  Advance(400ms);
  EXPECT_EQ(1, ticks);
  Advance(600ms);
  timer->SetInterval(500);  // restarts at 1600: next ticks at 2100, 2600
  Advance(499ms);
  EXPECT_EQ(1, ticks);
  Advance(1ms);
  EXPECT_EQ(2, ticks);
  Advance(500ms);
  EXPECT_EQ(3, ticks);
}

TEST_F(IntervalTimerTest, IntervalZeroPausesARunningTimerUntilTheNextInterval) {
  int ticks = 0;
  auto timer = Counting(100, ticks);
  timer->SetEnabled(true);
  Advance(100ms);
  timer->SetInterval(0);
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(0u, os_.windows().TimerCount());
  Advance(1000ms);
  EXPECT_EQ(1, ticks);
  timer->SetInterval(200);
  Advance(400ms);
  EXPECT_EQ(3, ticks);
}

TEST_F(IntervalTimerTest, AnEmptyHandlerPausesAndANewOneDoesNotRestart) {
  int ticks = 0;
  auto timer = Counting(100, ticks);
  timer->SetEnabled(true);
  timer->SetOnTimer(nullptr);
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(0u, os_.windows().TimerCount());
  timer->SetOnTimer([&ticks](TIntervalTimer&) { ++ticks; });
  Advance(500ms);
  EXPECT_EQ(0, ticks);
  timer->SetEnabled(true);
  Advance(100ms);
  EXPECT_EQ(1, ticks);
}

TEST_F(IntervalTimerTest, DisablingOrDestroyingStopsTheTicks) {
  int ticks = 0;
  auto timer = Counting(100, ticks);
  timer->SetEnabled(true);
  Advance(100ms);
  timer->SetEnabled(false);
  Advance(500ms);
  EXPECT_EQ(1, ticks);
  EXPECT_FALSE(timer->Deactivate(true));  // nothing left to kill

  timer->SetEnabled(true);
  timer.reset();
  EXPECT_EQ(0u, os_.windows().TimerCount());
  Advance(500ms);
  EXPECT_EQ(1, ticks);
}

TEST_F(IntervalTimerTest, AOneShotTimerStopsItselfBeforeItsEvent) {
  int ticks = 0;
  bool enabledInHandler = true;
  TIntervalTimer timer(100, [&](TIntervalTimer& sender) {
    ++ticks;
    enabledInHandler = sender.Enabled();
  });
  timer.SetOneShot(true);
  timer.SetEnabled(true);
  Advance(1000ms);
  EXPECT_EQ(1, ticks);
  EXPECT_FALSE(enabledInHandler);
}

TEST_F(IntervalTimerTest, TimersNeverShareAnIdentifier) {
  auto first = std::make_unique<TIntervalTimer>();
  auto second = std::make_unique<TIntervalTimer>();
  const auto firstId = first->Id();
  EXPECT_NE(firstId, second->Id());
  first.reset();
  TIntervalTimer third;
  EXPECT_NE(firstId, third.Id());
  EXPECT_NE(second->Id(), third.Id());
}

TEST_F(IntervalTimerTest, TheSharedWindowLivesExactlyWhileATimerDoes) {
  EXPECT_EQ(nullptr, TimerWindow());
  const std::size_t windowsBefore = os_.windows().WindowCount();
  auto first = std::make_unique<TIntervalTimer>();
  ASSERT_NE(nullptr, TimerWindow());
  const HWND shared = TimerWindow()->Handle();
  auto second = std::make_unique<TIntervalTimer>();
  EXPECT_EQ(shared, TimerWindow()->Handle());
  EXPECT_EQ(windowsBefore + 1, os_.windows().WindowCount());
  first.reset();
  EXPECT_NE(nullptr, TimerWindow());
  second.reset();
  EXPECT_EQ(nullptr, TimerWindow());
  EXPECT_EQ(windowsBefore, os_.windows().WindowCount());
  ReleaseTimerWindow();  // an extra release never goes below zero
  EXPECT_EQ(nullptr, TimerWindow());
}

TEST_F(IntervalTimerTest, TheSharedWindowIsAHiddenToolWindowOfItsOwnClass) {
  TIntervalTimer timer;
  auto info = os_.windows().Info(TimerWindow()->Handle());
  ASSERT_TRUE(info);
  EXPECT_EQ("TMessageWindow", info->className);
  EXPECT_FALSE(info->visible);
  EXPECT_EQ(kWsExToolWindow, info->exStyle & kWsExToolWindow);
}

TEST_F(IntervalTimerTest, ARefusedSystemTimerLeavesTheTimerDisabled) {
  int ticks = 0;
  auto timer = Counting(100, ticks);
  os_.windows().RefuseTimers();
  EXPECT_FALSE(timer->Activate());
  EXPECT_FALSE(timer->Enabled());
  os_.windows().RefuseTimers(false);
  Advance(500ms);
  EXPECT_EQ(0, ticks);
}

TEST_F(IntervalTimerTest, ATickForNoLiveTimerIsIgnored) {
  int ticks = 0;
  auto timer = Counting(100, ticks);
  const HWND window = TimerWindow()->Handle();
  os_.windows().PostMessageA(window, kWmTimer, timer->Id() + 1000, 0);
  os_.windows().PostMessageA(window, kWmTimer, timer->Id(), 0);  // not started: still its own
  os_.windows().ProcessPending();
  EXPECT_EQ(1, ticks);
}

TEST_F(IntervalTimerTest, AnErrorInAHandlerReachesTheApplicationAndTheTimerGoesOn) {
  ui::Application app;
  std::vector<std::string> errors;
  test::CollectErrors(app, errors);
  TIntervalTimer timer(100, [](TIntervalTimer&) { throw std::runtime_error("tick failed"); });
  timer.SetEnabled(true);
  Advance(300ms);
  EXPECT_EQ((std::vector<std::string>{"tick failed", "tick failed", "tick failed"}), errors);
  EXPECT_TRUE(timer.Enabled());
}

TEST_F(IntervalTimerTest, DelayedTicksMergeIntoOne) {
  int ticks = 0;
  auto timer = Counting(100, ticks);
  timer->SetEnabled(true);
  os_.windows().SkipTime(1000ms);
  os_.windows().ProcessPending();
  EXPECT_EQ(1, ticks);
}

}  // namespace
}  // namespace tarnwick::tray
