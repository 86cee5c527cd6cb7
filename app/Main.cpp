// tarnwick.exe: the real platform, the real controls and the executable's own icons around the
// program entry.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/ProgramEntry.h"
#include "platform/win32/Win32Platform.h"
#include "resources/ResourceIds.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/Resources.h"
#include "ui/win32/Win32Peers.h"

namespace {

// The pictures are 32 x 32 at 96 DPI. Each is loaded from the image drawn for the screen's size,
// not stretched; the shell shrinks the tray's to the small-icon size by itself.
tarnwick::ui::win32::IconHandle Picture(int id) {
  return tarnwick::ui::win32::LoadIconResource(id, tarnwick::ui::win32::Scaled(32));
}

// What `make` gives, made into `icon` when it is first asked for.
tarnwick::ui::IconSource MadeWhenShown(tarnwick::ui::win32::IconHandle& icon,
                                       std::function<tarnwick::ui::win32::IconHandle()> make) {
  return tarnwick::ui::IconSource([&icon, make = std::move(make)] {
    icon = make();
    return icon.Get();
  });
}

tarnwick::ui::IconSource MadeWhenShown(tarnwick::ui::win32::IconHandle& icon, int id) {
  return MadeWhenShown(icon, [id] { return Picture(id); });
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tarnwick;
  platform::win32::Win32Platform os;
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);

  // Made when first shown: the tray's pictures when the notification area first hears of the
  // icon, the "monitoring on" picture when monitoring first starts, the stop button's when a
  // dump first runs.
  struct Icons {
    ui::win32::IconHandle picture = Picture(resources::kStatePicture);
    ui::win32::IconHandle program = Picture(resources::kMainIcon);
    ui::win32::IconHandle smallProgram =
        ui::win32::LoadIconResource(resources::kMainIcon, ui::win32::Scaled(16));
    ui::win32::IconHandle off;
    ui::win32::IconHandle tray;
    ui::win32::IconHandle on;
    ui::win32::IconHandle stop;
  };
  Icons icons;  // outlives the windows that show them

  app::StartEnvironment environment;
  environment.images = [&icons] {
    return blocking::MainWindowImages{MadeWhenShown(icons.off, resources::kMonitoringOffIcon),
                                      MadeWhenShown(icons.on, resources::kMonitoringOnIcon),
                                      icons.picture.Get(),
                                      MadeWhenShown(icons.tray, resources::kTrayIcon)};
  };
  environment.programIcon = [&icons] { return icons.program.Get(); };
  environment.smallProgramIcon = [&icons] { return icons.smallProgram.Get(); };
  environment.stopGlyph =
      MadeWhenShown(icons.stop, [] { return ui::win32::MakeStopGlyph(ui::win32::Scaled(16)); });
  environment.backend = [] { return ui::win32::MakeBackend(); };
  return app::RunProgram(arguments, environment);
}
