#pragma once
// kernel32 and ole32 behind the platform interface.
#include "platform/System.h"

namespace tarnwick::platform::win32 {

// A library of the system by its bare name, from the system folder only: the program's own
// folder, a download folder for one, may hold a planted copy. Null when it cannot be loaded.
void* LoadSystemLibrary(const char* name);

class Win32System final : public System {
 public:
  os::DWORD GetModuleFileNameA(os::HINSTANCE module, char* fileName, os::DWORD size) override;
  os::HRESULT CoCreateGuid(os::GUID* guid) override;
  os::WORD GetNativeProcessorArchitecture() override;
  bool FileExists(const char* path) override;
  os::HANDLE CreateFileA(const char* path, os::DWORD access, os::DWORD share,
                         os::DWORD disposition) override;
  os::BOOL GetFileSizeEx(os::HANDLE file, std::int64_t* size) override;
  os::BOOL ReadFile(os::HANDLE file, void* buffer, os::DWORD toRead, os::DWORD* read) override;
  os::BOOL WriteFile(os::HANDLE file, const void* buffer, os::DWORD toWrite,
                     os::DWORD* written) override;
  os::BOOL CloseHandle(os::HANDLE handle) override;
  void GetStartupInfoA(os::STARTUPINFOA* info) override;
  os::HANDLE GetStdHandle(os::DWORD which) override;
  os::DWORD GetFileType(os::HANDLE file) override;
  os::DWORD GetLastError() override;
  os::HINSTANCE LoadLibraryA(const char* name) override;
  void* GetProcAddress(os::HINSTANCE module, const char* name) override;
  os::BOOL FreeLibrary(os::HINSTANCE module) override;
  void* StartWork(std::function<void()> work) override;
  void FinishWork(void* work) override;
  void* AcquireNamedLock(const char* name, os::DWORD timeoutMs) override;
  void ReleaseNamedLock(void* lock) override;
  os::BOOL WaitForProcessExit(os::DWORD processId, os::DWORD timeoutMs) override;
};

}  // namespace tarnwick::platform::win32
