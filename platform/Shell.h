#pragma once
// The shell's notification area and file versions (shell32, version.dll).
#include "platform/Types.h"

namespace tarnwick::platform {

class Shell {
 public:
  virtual ~Shell() = default;

  // NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_SETVERSION; non-zero when the shell accepted the call.
  // `data->cbSize` is set by the implementation to the size the platform expects.
  virtual os::BOOL Shell_NotifyIconA(os::DWORD message, os::NOTIFYICONDATAA* data) = 0;

  // Hands `file` to the shell; a result above 32 means success.
  virtual os::HINSTANCE ShellExecuteA(os::HWND owner, const char* verb, const char* file,
                                      const char* parameters, const char* directory,
                                      int showCommand) = 0;

  // The file version of a module as major * 65536 + minor (GetFileVersionInfoSizeA,
  // GetFileVersionInfoA and VerQueryValueA); 0 when it cannot be read.
  virtual os::DWORD FileVersion(const char* fileName) = 0;
};

}  // namespace tarnwick::platform
