#include "tray/MessageWindow.h"

namespace tarnwick::tray {

MessageWindow::MessageWindow(Handler handler) : window_(std::move(handler)) {
  window_.Create({.className = kMessageWindowClass,
                  .style = platform::os::kWsPopup,
                  .exStyle = platform::os::kWsExToolWindow});
}

}  // namespace tarnwick::tray
