#pragma once
// What a test that runs on both platforms needs beyond the platform's own calls: time that
// passes, and the desktop's foreground window, cursor and notification area. Natively the
// emulated clock moves and delivers what comes due on the way; under Wine real messages are
// pumped while real time passes.
#include <chrono>
#include <functional>

#include "platform/Types.h"

namespace tarnwick::test {

// Delivers what is posted or due now, then this thread's messages while `span` passes.
void LetTimePass(std::chrono::milliseconds span);
// As LetTimePass, but stops as soon as `done` holds; whether it held within `limit`.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
// Lets `span` pass and delivers nothing: what comes due meanwhile waits in the queue.
void LetTimePassUndelivered(std::chrono::milliseconds span);
// Sends a message to this thread's `window` from another thread, and delivers it; its result.
os::LRESULT SendFromAnotherThread(os::HWND window, os::UINT message, os::WPARAM wParam,
                                  os::LPARAM lParam);

// The desktop's active window.
os::HWND ForegroundWindow();
// Moves the cursor as the user's mouse does; whether it moved.
bool PlaceCursor(os::POINT point);
// Whether the notification area is there to take icons, waiting up to `limit` for the taskbar
// that the first process of a Wine session starts.
bool NotificationAreaReady(std::chrono::milliseconds limit);

}  // namespace tarnwick::test
