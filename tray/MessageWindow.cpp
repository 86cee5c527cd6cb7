#include "tray/MessageWindow.h"

namespace tarnwick::tray {

MessageWindow::MessageWindow(Handler handler) : window_(std::move(handler)) {
  ui::BoundWindow::Shape shape;
  shape.className = kMessageWindowClass;
  shape.style = platform::os::kWsPopup;
  shape.exStyle = platform::os::kWsExToolWindow;
  window_.Create(shape);
}

}  // namespace tarnwick::tray
