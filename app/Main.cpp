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
    ui::win32::IconHandle off = ui::win32::LoadIconResource(resources::kMonitoringOffIcon, 32);
    ui::win32::IconHandle on = ui::win32::LoadIconResource(resources::kMonitoringOnIcon, 32);
    ui::win32::IconHandle picture = ui::win32::LoadIconResource(resources::kStatePicture, 32);
    ui::win32::IconHandle tray = ui::win32::LoadIconResource(resources::kTrayIcon, 32);
    ui::win32::IconHandle program = ui::win32::LoadIconResource(resources::kMainIcon, 32);
    ui::win32::IconHandle stop = ui::win32::MakeStopGlyph(16);
  };
  Icons icons;  // outlives the windows that show them

  app::StartEnvironment environment;
  environment.images = [&icons] {
    return blocking::MainWindowImages{icons.off.Get(), icons.on.Get(), icons.picture.Get(),
                                     icons.tray.Get()};
  };
  environment.programIcon = [&icons] { return icons.program.Get(); };
  environment.stopGlyph = [&icons] { return icons.stop.Get(); };
  environment.backend = [] { return ui::win32::MakeBackend(); };
  return app::RunProgram(arguments, environment);
}
