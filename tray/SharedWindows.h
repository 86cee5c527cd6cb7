#pragma once
// The two hidden windows shared by the whole process: one receives every tray icon's shell
// callbacks, the other every simple timer's WM_TIMER. The first user creates each, the last
// user's release destroys it.
#include <cstdint>
#include <functional>
#include <memory>

#include "tray/MessageWindow.h"

namespace tarnwick::tray {

// The shell's callback message for tray icons (WM_USER + 0x400).
inline constexpr UINT kTrayCallbackMessage = 0x0800;

class TTrayWindow {
 public:
  TTrayWindow();
  HWND Handle() const { return window_.Handle(); }
  std::uint32_t users = 0;

 private:
  MessageWindow window_;
};

class TTimerWindow {
 public:
  TTimerWindow();
  HWND Handle() const { return window_.Handle(); }
  std::uint32_t users = 0;

 private:
  MessageWindow window_;
};

void AcquireTrayWindow();
void ReleaseTrayWindow();
// The shared tray window, or null while nobody uses it.
TTrayWindow* TrayWindow();

void AcquireTimerWindow();
void ReleaseTimerWindow();
TTimerWindow* TimerWindow();

// Callback targets are looked up by a small id; an id that names nothing live is ignored.
using TrayCallback = std::function<void(LPARAM message)>;
using TimerCallback = std::function<void()>;
std::uint32_t RegisterTrayCallback(TrayCallback callback);
void UnregisterTrayCallback(std::uint32_t id);
std::uintptr_t RegisterTimerCallback(TimerCallback callback);
void UnregisterTimerCallback(std::uintptr_t id);

}  // namespace tarnwick::tray
