#include "tray/IntervalTimer.h"

#include "platform/Platform.h"
#include "tray/SharedWindows.h"

namespace tarnwick::tray {

using platform::Win;

TIntervalTimer::TIntervalTimer(os::UINT interval, TimerEvent onTimer) : interval_(interval) {
  SetOnTimer(std::move(onTimer));
  AcquireTimerWindow();
  id_ = RegisterTimerCallback([this] { Tick(); });
}

TIntervalTimer::~TIntervalTimer() {
  if (enabled_) Deactivate(true);
  UnregisterTimerCallback(id_);
  ReleaseTimerWindow();
}

void TIntervalTimer::SetEnabled(bool enabled) {
  if (enabled) {
    Activate();
  } else {
    Deactivate(true);
  }
}

void TIntervalTimer::SetInterval(os::UINT interval) {
  if (interval == interval_) return;
  interval_ = interval;
  if (!enabled_) return;
  if (interval != 0) {
    Activate();
  } else {
    Deactivate(false);
  }
}

void TIntervalTimer::SetOnTimer(TimerEvent onTimer) {
  onTimer_ = std::move(onTimer);
  if (!onTimer_ && enabled_) Deactivate(false);
}

bool TIntervalTimer::Activate() {
  if (interval_ == 0) return false;
  if (enabled_) Deactivate(true);
  TTimerWindow* window = TimerWindow();
  if (window == nullptr || Win().SetTimer(window->Handle(), id_, interval_, nullptr) == 0) {
    return false;
  }
  enabled_ = true;
  return true;
}

bool TIntervalTimer::Deactivate(bool clear) {
  if (clear) enabled_ = false;
  TTimerWindow* window = TimerWindow();
  return window != nullptr && Win().KillTimer(window->Handle(), id_) != 0;
}

void TIntervalTimer::Tick() {
  if (oneShot_) Deactivate(true);
  if (onTimer_) {
    TimerEvent handler = onTimer_;  // the handler may replace itself or destroy the timer
    handler(*this);
  }
}

}  // namespace tarnwick::tray
