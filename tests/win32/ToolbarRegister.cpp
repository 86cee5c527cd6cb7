// Adds or removes the program's toolbar button through the real registry, as the command-line
// words do: "toolbar_register register" or "toolbar_register unregister".
#include <cstdio>
#include <exception>
#include <string>

#include "platform/win32/Win32Platform.h"
#include "toolbar/ToolbarButtons.h"

int main(int argc, char** argv) {
  using namespace tarnwick;
  constexpr const char* kTitle = "Tarnwick v1.0b Personal";
  const std::string word = argc > 1 ? argv[1] : "";
  platform::win32::Win32Platform os;
  try {
    if (word == "register") {
      toolbar::RegisterProgramButton(kTitle);
    } else if (word == "unregister") {
      toolbar::UnregisterProgramButton(kTitle);
    } else {
      std::fprintf(stderr, "usage: toolbar_register register|unregister\n");
      return 2;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
