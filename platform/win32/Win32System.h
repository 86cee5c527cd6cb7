#pragma once
// kernel32 and ole32 behind the platform interface.
#include "platform/System.h"

namespace tarnwick::platform::win32 {

class Win32System final : public System {
 public:
  os::DWORD GetModuleFileNameA(os::HINSTANCE module, char* fileName, os::DWORD size) override;
  os::HRESULT CoCreateGuid(os::GUID* guid) override;
  bool FileExists(const char* path) override;
  void* AcquireNamedLock(const char* name, os::DWORD timeoutMs) override;
  void ReleaseNamedLock(void* lock) override;
};

}  // namespace tarnwick::platform::win32
