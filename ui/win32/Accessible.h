#pragma once
// What a screen reader hears of a window whose meaning Windows cannot read from it: a picture
// that is a button, a bar that is a progress, a view that is read-only text. The window answers
// the reader's request (WM_GETOBJECT) with an object of its own, which leaves to Windows' standard
// object of the window whatever it does not say itself. The libraries this takes are loaded
// when a reader first asks, so that a start without a reader costs nothing more.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "ui/win32/Handles.h"

namespace tarnwick::ui::win32 {

// MinGW's import library gives IID_IAccessible as an import thunk, not the identifier.
inline constexpr IID kIidAccessible = {
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

class ReaderObject;

// Asked anew at every request, so that it follows the model.
struct Reading {
  long role = 0;                        // ROLE_SYSTEM_*; 0: the standard object's
  std::function<std::string()> name{};  // no name when it is empty; unset: the standard's
  // The value when the window has one of its own; otherwise the standard object's.
  std::function<std::optional<std::string>()> value{};
  long state = 0;                // STATE_SYSTEM_* added to the standard object's
  const char* action = nullptr;  // the name of the default action, which `act` does
  std::function<void()> act{};
  // Read after the name, as more about the control; the standard object's when it is empty.
  std::function<std::string()> description{};
};

// Answers the readers' requests for one window as `reading` says, from Attach until this object
// or the window goes; then every reader still holding the object is cut off.
class AccessibleWindow {
 public:
  AccessibleWindow() = default;
  ~AccessibleWindow();
  AccessibleWindow(const AccessibleWindow&) = delete;
  AccessibleWindow& operator=(const AccessibleWindow&) = delete;

  void Attach(HWND window, Reading reading);
  // The window it answers for; null once that went.
  HWND Window() const { return window_; }

 private:
  static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self);
  std::optional<LRESULT> Answer(WPARAM wParam);
  void Disconnect();
  void Unhook();

  HWND window_ = nullptr;
  Reading reading_;
  ReaderObject* object_ = nullptr;  // one reference of its own, from its first request on
};

// A tooltip that tells what a picture-only control is, made the first time the pointer comes
// over it, so that a window that is never pointed at makes none. Its text is taken then.
class ToolTip {
 public:
  // The pointer moved over `tool`, which the tooltip names `text`. Called before the move is
  // dispatched, so that the tooltip, watching the tool from now on, sees it too.
  void Hover(HWND tool, const std::string& text);

 private:
  WindowHandle tip_;
};

}  // namespace tarnwick::ui::win32
