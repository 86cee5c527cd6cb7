#pragma once
// A periodic timer on the shared hidden timer window. It can be disabled, running, or paused
// (enabled, but with no system timer because its interval is 0 or it has no handler).
#include <cstdint>
#include <functional>

#include "platform/Types.h"

namespace tarnwick::tray {

class TIntervalTimer {
 public:
  using TimerEvent = std::function<void(TIntervalTimer& sender)>;

  TIntervalTimer() : TIntervalTimer(1000, nullptr) {}
  TIntervalTimer(os::UINT interval, TimerEvent onTimer);
  ~TIntervalTimer();
  TIntervalTimer(const TIntervalTimer&) = delete;
  TIntervalTimer& operator=(const TIntervalTimer&) = delete;

  // The nIDEvent of the system timer; unique among live timers.
  std::uintptr_t Id() const { return id_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  os::UINT Interval() const { return interval_; }
  // A new interval restarts a running timer; 0 pauses it, still enabled, until the next one.
  void SetInterval(os::UINT interval);
  bool OneShot() const { return oneShot_; }
  void SetOneShot(bool oneShot) { oneShot_ = oneShot; }
  // An empty handler pauses a running timer; assigning one again does not restart it.
  void SetOnTimer(TimerEvent onTimer);

  // Starts, or restarts, the system timer; false, changing nothing, when the interval is 0 or the
  // system refuses.
  bool Activate();
  // Stops the system timer, and with `clear` also disables the timer; false when none was set.
  bool Deactivate(bool clear);

 private:
  void Tick();

  std::uintptr_t id_;
  bool enabled_ = false;
  os::UINT interval_;
  bool oneShot_ = false;
  TimerEvent onTimer_;
};

}  // namespace tarnwick::tray
