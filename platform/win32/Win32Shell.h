#pragma once
// shell32's notification area and version.dll's file versions, reached through the platform
// interface.
#include "platform/Shell.h"

namespace tarnwick::platform::win32 {

class Win32Shell final : public Shell {
 public:
  os::BOOL Shell_NotifyIconA(os::DWORD message, os::NOTIFYICONDATAA* data) override;
  os::DWORD FileVersion(const char* fileName) override;
  os::HINSTANCE ShellExecuteA(os::HWND owner, const char* verb, const char* file,
                              const char* parameters, const char* directory,
                              int showCommand) override;
};

}  // namespace tarnwick::platform::win32
