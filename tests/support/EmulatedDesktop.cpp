// The test desktop on the emulated platform: its virtual clock and recorded state.
#include "tests/support/TestDesktop.h"

#include "platform/Platform.h"
#include "platform/emulated/EmulatedWindows.h"

namespace tarnwick::test {
namespace {

platform::emulated::EmulatedWindows& Emulated() {
  return dynamic_cast<platform::emulated::EmulatedWindows&>(platform::Win());
}

}  // namespace

void LetTimePass(std::chrono::milliseconds span) { Emulated().Advance(span); }

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  auto& windows = Emulated();
  const os::DWORD start = windows.GetTickCount();
  windows.ProcessPending();
  while (!done()) {
    if (windows.GetTickCount() - start >= limit.count()) return false;
    windows.Advance(std::chrono::milliseconds(1));
  }
  return true;
}

void LetTimePassUndelivered(std::chrono::milliseconds span) { Emulated().SkipTime(span); }

os::LRESULT SendFromAnotherThread(os::HWND window, os::UINT message, os::WPARAM wParam,
                                  os::LPARAM lParam) {
  return Emulated().SendFromOtherThread(window, message, wParam, lParam);
}

os::HWND ForegroundWindow() { return Emulated().ForegroundWindow(); }

bool PlaceCursor(os::POINT point) {
  Emulated().PlaceCursor(point);
  return true;
}

bool NotificationAreaReady(std::chrono::milliseconds) { return true; }

}  // namespace tarnwick::test
