// Puts an icon into the notification area through the tray component, shows a balloon, and
// quits after the given number of seconds (default 30), removing the icon again.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/win32/Win32Platform.h"
#include "tray/TrayIcon.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/win32/Win32Peers.h"

int main(int argc, char** argv) {
  using namespace tarnwick;
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  platform::win32::Win32Platform os;
  ui::Application app;
  app.SetTitle("Tarnwick tray demo");
  app.Initialize();
  app.SetBackend(ui::win32::MakeBackend());
  ui::Form main("TTrayDemo");
  app.SetMainForm(&main);

  tray::TTrayIcon icon(&main);
  ui::Icon image;
  image.SetHandle(reinterpret_cast<os::HICON>(LoadIconA(nullptr, IDI_INFORMATION)));
  icon.SetIcon(image);
  icon.SetHint("Tarnwick v1.0b Personal");
  icon.SetIconVisible(true);
  icon.DisplayBalloon("Tarnwick v1.0b Personal", "You can restore program by clicking the icon", 1,
                      10);
  SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000u,
           [](HWND, UINT, UINT_PTR, DWORD) CALLBACK { PostQuitMessage(0); });
  app.SetShowMainForm(false);
  app.Run();
  return 0;
}
