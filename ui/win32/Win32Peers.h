#pragma once
// Connects the headless ui models to real Win32 controls: forms get their frame, font, controls
// and menu bar, the keyboard works as in a dialog, and popup menus are tracked with
// TrackPopupMenu.
#include <memory>

#include "ui/Backend.h"

namespace tarnwick::ui::win32 {

// The real backend, for Application::SetBackend; registers the common control classes it uses
// and turns the input method off for the thread, so it is made before the thread's first window.
std::unique_ptr<Backend> MakeBackend();

}  // namespace tarnwick::ui::win32
