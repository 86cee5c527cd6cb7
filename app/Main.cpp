// tarnwick.exe: the real platform, the real controls and the executable's own icons around the
// program entry.
#include <string>
#include <vector>

#include "app/ProgramEntry.h"
#include "platform/win32/Win32Platform.h"
#include "resources/ResourceIds.h"
#include "ui/win32/Resources.h"
#include "ui/win32/Win32Peers.h"

int main(int argc, char** argv) {
  using namespace tarnwick;
  platform::win32::Win32Platform os;
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);

  struct Icons {
    os::HICON off = ui::win32::LoadIconResource(resources::kMonitoringOffIcon, 32);
    os::HICON on = ui::win32::LoadIconResource(resources::kMonitoringOnIcon, 32);
    os::HICON picture = ui::win32::LoadIconResource(resources::kStatePicture, 32);
    os::HICON tray = ui::win32::LoadIconResource(resources::kTrayIcon, 32);
    os::HICON program = ui::win32::LoadIconResource(resources::kMainIcon, 32);
    ~Icons() {
      for (os::HICON icon : {off, on, picture, tray, program}) ui::win32::FreeIconResource(icon);
    }
  };
  Icons icons;  // outlives the windows that show them

  app::StartEnvironment environment;
  environment.images = [&icons] {
    return blocking::MainWindowImages{icons.off, icons.on, icons.picture, icons.tray};
  };
  environment.programIcon = [&icons] { return icons.program; };
  environment.backend = [] { return ui::win32::MakeBackend(); };
  return app::RunProgram(arguments, environment);
}
