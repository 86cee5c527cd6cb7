// The test desktop under Wine: real time, this thread's real queue, the session's desktop.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "tests/support/TestDesktop.h"

namespace tarnwick::test {

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const ULONGLONG start = ::GetTickCount64();
  const auto total = static_cast<ULONGLONG>(limit.count());
  for (;;) {
    ::MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
      if (done()) return true;
    }
    if (done()) return true;
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    if (elapsed >= total) return false;
    const auto wait = static_cast<DWORD>(std::min<ULONGLONG>(total - elapsed, 10));
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
  }
}

void LetTimePass(std::chrono::milliseconds span) {
  PumpUntil([] { return false; }, span);
}

void LetTimePassUndelivered(std::chrono::milliseconds span) {
  ::Sleep(static_cast<DWORD>(span.count()));
}

os::LRESULT SendFromAnotherThread(os::HWND window, os::UINT message, os::WPARAM wParam,
                                  os::LPARAM lParam) {
  std::atomic<bool> answered = false;
  LRESULT result = 0;
  std::thread sender([&] {
    result = ::SendMessageA(reinterpret_cast<::HWND>(window), message, wParam, lParam);
    answered = true;
  });
  PumpUntil([&] { return answered.load(); }, std::chrono::seconds(10));
  sender.join();
  return result;
}

os::HWND ForegroundWindow() { return reinterpret_cast<os::HWND>(::GetForegroundWindow()); }

bool PlaceCursor(os::POINT point) { return ::SetCursorPos(point.x, point.y) != FALSE; }

bool NotificationAreaReady(std::chrono::milliseconds limit) {
  return PumpUntil([] { return ::FindWindowA("Shell_TrayWnd", nullptr) != nullptr; }, limit);
}

}  // namespace tarnwick::test
