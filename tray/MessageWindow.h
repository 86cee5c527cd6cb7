#pragma once
// An invisible zero-size pop-up window of class "TMessageWindow" whose messages go to one
// handler. The window is owned by this object.
#include "platform/Platform.h"
#include "ui/BoundWindow.h"

namespace tarnwick::tray {

using platform::HWND;
using platform::LPARAM;
using platform::LRESULT;
using platform::UINT;
using platform::WPARAM;

inline constexpr const char* kMessageWindowClass = "TMessageWindow";

class MessageWindow {
 public:
  // Returns the message's result, or nullopt to leave it to DefWindowProcA.
  using Handler = ui::BoundWindow::Hook;

  explicit MessageWindow(Handler handler);
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  HWND Handle() const { return window_.Handle(); }

 private:
  ui::BoundWindow window_;
};

}  // namespace tarnwick::tray
