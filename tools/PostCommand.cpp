// Acts on a running program's window as a user would, for scripts that show it:
//   post_command keys <class> <title> <alt-letter> <letter>   types Alt+letter, then a letter,
//                                                             e.g. "t" "o" for Tools > Options
//   post_command close <class> [<title>]                      closes a window as its close box does
//   post_command click <class> <title> <caption>              clicks the button with that caption
// Menus live in their program's process under Wine, so a menu is chosen with the keyboard.
// An empty title matches any. Exit code 0 when done, 1 when the window or item is not there,
// 2 for wrong arguments.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

void Key(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
  Sleep(30);
}

WORD Letter(const char* text) { return static_cast<WORD>(VkKeyScanA(text[0]) & 0xFF); }

}  // namespace

int main(int argc, char** argv) {
  const std::string verb = argc > 1 ? argv[1] : "";
  if ((verb != "keys" || argc != 6) && (verb != "close" || argc < 3 || argc > 4) &&
      (verb != "click" || argc != 5)) {
    std::fprintf(stderr,
                 "usage: post_command keys <class> <title> <alt-letter> <letter>\n"
                 "       post_command close <class> [<title>]\n"
                 "       post_command click <class> <title> <caption>\n");
    return 2;
  }
  const std::string title = argc > 3 ? argv[3] : "";
  HWND window = FindWindowA(argv[2], title.empty() ? nullptr : title.c_str());
  if (window == nullptr) {
    std::fprintf(stderr, "post_command: no window of class %s\n", argv[2]);
    return 1;
  }
  if (verb == "close") return PostMessageA(window, WM_CLOSE, 0, 0) != 0 ? 0 : 1;
  if (verb == "click") {
    HWND button = FindWindowExA(window, nullptr, "Button", argv[4]);
    return button != nullptr && PostMessageA(button, BM_CLICK, 0, 0) != 0 ? 0 : 1;
  }

  SetForegroundWindow(window);
  Sleep(100);
  Key(VK_MENU, false);
  Key(Letter(argv[4]), false);
  Key(Letter(argv[4]), true);
  Key(VK_MENU, true);
  Key(Letter(argv[5]), false);
  Key(Letter(argv[5]), true);
  return 0;
}
