#pragma once
// An in-process notification area and version reader. Icons are kept by (hWnd, uID) as the shell
// holds them; every Shell_NotifyIconA call is recorded. A test can make the shell refuse, play the
// user's clicks on an icon back to its window, and restart the taskbar.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Shell.h"
#include "platform/emulated/EmulatedWindows.h"

namespace tarnwick::platform::emulated {

class EmulatedShell final : public Shell {
 public:
  struct Call {
    os::DWORD message = 0;
    os::NOTIFYICONDATAA data;  // as given, cbSize included; zero when data was null
    os::BOOL result = 0;
  };

  // A balloon the shell was asked to show.
  struct Balloon {
    os::HWND window = nullptr;
    os::UINT id = 0;
    std::string title;
    std::string text;
    os::DWORD flags = 0;  // dwInfoFlags
    os::UINT timeout = 0;
  };

  static constexpr os::DWORD kComctl32Version = 0x00060000;

  explicit EmulatedShell(EmulatedWindows& windows);

  // NIM_ADD fails for an icon that exists; NIM_MODIFY, NIM_DELETE and NIM_SETVERSION fail for one
  // that does not. Each accepted NIM_ADD or NIM_MODIFY changes only the fields its uFlags name.
  // cbSize is left as the caller gave it.
  os::BOOL Shell_NotifyIconA(os::DWORD message, os::NOTIFYICONDATAA* data) override;
  // As set by SetFileVersion; by default 6.0 for comctl32.dll and 0 for anything else.
  os::DWORD FileVersion(const char* fileName) override;
  // Recorded; succeeds (42) unless RefuseAll is set.
  os::HINSTANCE ShellExecuteA(os::HWND owner, const char* verb, const char* file,
                              const char* parameters, const char* directory,
                              int showCommand) override;

  struct Execution {
    os::HWND owner = nullptr;
    std::string verb;
    std::string file;
    std::string parameters;
    std::string directory;
    int showCommand = 0;
  };
  const std::vector<Execution>& Executions() const { return executions_; }

  // --- Test controls and inspection -----------------------------------------------------------

  // While set, every call fails and changes nothing; it is still recorded.
  void RefuseAll(bool refuse = true) { refuseAll_ = refuse; }
  void SetFileVersion(const std::string& fileName, os::DWORD version);

  // Posts the icon's callback message to its window (wParam uID, lParam `message`), as the shell
  // does when the user acts on the icon. False when no such icon exists or it asked for no
  // callbacks (NIF_MESSAGE). The one-argument form picks the first icon with that uID.
  [[nodiscard]] bool InjectCallback(os::UINT id, os::UINT message);
  [[nodiscard]] bool InjectCallback(os::HWND window, os::UINT id, os::UINT message);

  // Drops every icon and sends the registered "TaskbarCreated" message to every top-level
  // window, as a restarted shell does.
  void RecreateTaskbar();

  const std::vector<Call>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  std::size_t CallCount(os::DWORD message) const;
  const std::vector<Balloon>& Balloons() const { return balloons_; }
  // The icon as the shell holds it, or null.
  const os::NOTIFYICONDATAA* FindIcon(os::HWND window, os::UINT id) const;
  std::vector<os::NOTIFYICONDATAA> Icons() const;
  std::size_t IconCount() const { return icons_.size(); }

 private:
  std::vector<Execution> executions_;
  using IconKey = std::pair<std::uintptr_t, os::UINT>;
  struct Icon {
    os::NOTIFYICONDATAA data;
    bool hasCallback = false;
  };

  os::BOOL Apply(os::DWORD message, const os::NOTIFYICONDATAA& data);

  EmulatedWindows& windows_;
  std::map<IconKey, Icon> icons_;
  std::vector<Call> calls_;
  std::vector<Balloon> balloons_;
  std::map<std::string, os::DWORD> versions_;  // by upper-case file name
  bool refuseAll_ = false;
};

}  // namespace tarnwick::platform::emulated
