#pragma once
// Process and system facts from kernel32 and ole32.
#include "platform/Types.h"

namespace tarnwick::platform {

class System {
 public:
  virtual ~System() = default;

  // The full path of a module's file (the program's own for a null module); returns its length,
  // 0 on failure; the text is cut to size - 1 characters when it does not fit.
  virtual os::DWORD GetModuleFileNameA(os::HINSTANCE module, char* fileName, os::DWORD size) = 0;
  // A new, unique GUID; 0 (S_OK) on success.
  virtual os::HRESULT CoCreateGuid(os::GUID* guid) = 0;
  // Whether a file (not a folder) exists at `path`.
  virtual bool FileExists(const char* path) = 0;

  // Takes the lock that all processes of the session share under `name`, waiting at most
  // `timeoutMs`. Returns what ReleaseNamedLock takes, or null when it could not be had.
  virtual void* AcquireNamedLock(const char* name, os::DWORD timeoutMs) = 0;
  virtual void ReleaseNamedLock(void* lock) = 0;
};

}  // namespace tarnwick::platform
