#pragma once
// An invisible zero-size pop-up window of class "TMessageWindow" whose messages go to one
// handler. The window is bound to this object through GWLP_USERDATA and owned by it.
#include <functional>
#include <optional>

#include "platform/Platform.h"
#include "platform/Owners.h"

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
  using Handler = std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)>;

  explicit MessageWindow(Handler handler);
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  HWND Handle() const { return handle_.Get(); }

 private:
  static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  Handler handler_;
  platform::WindowOwner handle_;  // last: the window goes while its handler is still there
};

}  // namespace tarnwick::tray
