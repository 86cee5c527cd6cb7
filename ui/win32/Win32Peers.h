#pragma once
// Connects the headless ui models to real Win32 controls: forms get their frame, font, controls
// and menu bar, the keyboard works as in a dialog, and popup menus are tracked with
// TrackPopupMenu.
namespace tarnwick::ui {
class Application;
}

namespace tarnwick::ui::win32 {

// Installs the real peers for `app`; call once after the platform is installed.
void InstallPeers(Application& app);

}  // namespace tarnwick::ui::win32
