#include "tray/MessageWindow.h"

#include <stdexcept>

#include "ui/ErrorBoundary.h"

namespace tarnwick::tray {
namespace {

using namespace platform::os;
using platform::Win;

LRESULT ClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Win().DefWindowProcA(window, message, wParam, lParam);
}

// Registers the class once per process, again when a class of that name has another procedure.
void EnsureClass(HINSTANCE instance) {
  WNDCLASSA existing;
  if (Win().GetClassInfoA(instance, kMessageWindowClass, &existing) != 0) {
    if (existing.lpfnWndProc == &ClassProc) return;
    Win().UnregisterClassA(kMessageWindowClass, instance);
  }
  WNDCLASSA windowClass;
  windowClass.lpfnWndProc = &ClassProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kMessageWindowClass;
  Win().RegisterClassA(&windowClass);
}

}  // namespace

MessageWindow::MessageWindow(Handler handler) : handler_(std::move(handler)) {
  HINSTANCE instance = Win().GetModuleHandleA(nullptr);
  EnsureClass(instance);
  handle_.Reset(Win().CreateWindowExA(kWsExToolWindow, kMessageWindowClass, "", kWsPopup, 0, 0, 0,
                                      0, nullptr, nullptr, instance, nullptr));
  if (!handle_) throw std::runtime_error("Cannot create a hidden message window");
  Win().SetWindowLongPtrA(Handle(), kGwlpUserData, reinterpret_cast<std::intptr_t>(this));
  Win().SetWindowLongPtrA(Handle(), kGwlpWndProc, reinterpret_cast<std::intptr_t>(&WindowProc));
}

LRESULT MessageWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<MessageWindow*>(Win().GetWindowLongPtrA(window, kGwlpUserData));
  if (message == kWmNcDestroy) {
    Win().SetWindowLongPtrA(window, kGwlpUserData, 0);
    if (self != nullptr) (void)self->handle_.Release();
  }
  if (self != nullptr && self->handler_) {
    std::optional<LRESULT> result =
        ui::Guard(std::optional<LRESULT>(0), [&] { return self->handler_(message, wParam, lParam); });
    if (result) return *result;
  }
  return Win().DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace tarnwick::tray
