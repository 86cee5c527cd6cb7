// Waits for a visible top-level window and prints where it is on the screen, "left top width
// height", so that a script can cut it out of a screenshot.
//   window_rect [--park-cursor] <class> [<title>] [<milliseconds>]
// An empty or missing title matches any title. --park-cursor first moves the mouse pointer to the
// top left corner, where no control shows it hovering. Exit code 0 when found, 1 when not in time,
// 2 for wrong arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  // Screen pixels, as the screenshot has them, whatever the DPI.
  ::SetProcessDPIAware();
  if (argc > 1 && std::string(argv[1]) == "--park-cursor") {
    ::SetCursorPos(0, 0);
    --argc;
    ++argv;
  }
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: window_rect [--park-cursor] <class> [<title>] [<milliseconds>]\n");
    return 2;
  }
  const char* className = argv[1];
  const std::string title = argc > 2 ? argv[2] : "";
  const DWORD limit = argc > 3 ? static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) : 10000;

  const ULONGLONG start = ::GetTickCount64();
  for (;;) {
    HWND window = ::FindWindowA(className, title.empty() ? nullptr : title.c_str());
    RECT rect;
    if (window != nullptr && ::IsWindowVisible(window) && ::GetWindowRect(window, &rect)) {
      std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top);
      return 0;
    }
    if (::GetTickCount64() - start >= limit) {
      std::fprintf(stderr, "window_rect: no visible window of class %s within %lu ms\n", className,
                   static_cast<unsigned long>(limit));
      return 1;
    }
    ::Sleep(20);
  }
}
