#pragma once
// Process and system facts from kernel32 and ole32.
#include <cstdint>
#include <functional>

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
  // The processor architecture of Windows itself (kProcessorArchitectureAmd64 on 64-bit Windows,
  // also to a 32-bit program there), as GetNativeSystemInfo gives it.
  virtual os::WORD GetNativeProcessorArchitecture() = 0;
  // Whether a file (not a folder) exists at `path`.
  virtual bool FileExists(const char* path) = 0;

  // Files, as kernel32 has them (no security attributes, flags or template). CreateFileA
  // returns os::InvalidHandleValue() on failure, with the reason for GetLastError.
  virtual os::HANDLE CreateFileA(const char* path, os::DWORD access, os::DWORD share,
                                 os::DWORD disposition) = 0;
  // The size in bytes; 0 (FALSE) on failure.
  virtual os::BOOL GetFileSizeEx(os::HANDLE file, std::int64_t* size) = 0;
  // Reads at most `toRead` bytes from where the file stands; `read` gets how many came.
  virtual os::BOOL ReadFile(os::HANDLE file, void* buffer, os::DWORD toRead, os::DWORD* read) = 0;
  // Writes where the file stands; `written` gets how many bytes went. Needs GENERIC_WRITE.
  virtual os::BOOL WriteFile(os::HANDLE file, const void* buffer, os::DWORD toWrite,
                             os::DWORD* written) = 0;
  virtual os::BOOL CloseHandle(os::HANDLE handle) = 0;
  // How this process's starter asked it to start: kStartfUseShowWindow with the show command in
  // wShowWindow, kStartfUseStdHandles with the standard handles it was given.
  virtual void GetStartupInfoA(os::STARTUPINFOA* info) = 0;
  // The standard handle kStdErrorHandle (or another); null when the process has none, as a
  // windowed program started without them.
  virtual os::HANDLE GetStdHandle(os::DWORD which) = 0;
  // kFileTypeDisk, kFileTypeChar or kFileTypePipe; kFileTypeUnknown, with the reason for
  // GetLastError, for a handle that is not open.
  virtual os::DWORD GetFileType(os::HANDLE file) = 0;
  // The reason the last failing call of this thread gave.
  virtual os::DWORD GetLastError() = 0;

  // Libraries of the system, loaded from the system folder only and asked for a function by
  // name; null when missing.
  virtual os::HINSTANCE LoadLibraryA(const char* name) = 0;
  virtual void* GetProcAddress(os::HINSTANCE module, const char* name) = 0;
  virtual os::BOOL FreeLibrary(os::HINSTANCE module) = 0;

  // Runs `work`, which must not throw, on a thread of its own, and returns what FinishWork takes
  // to wait for it. Where there is no thread to be had (the emulated platform has none) it runs
  // at once on the caller's, and null comes back.
  virtual void* StartWork(std::function<void()> work) = 0;
  virtual void FinishWork(void* work) = 0;

  // Takes the lock that all processes of the session share under `name`, waiting at most
  // `timeoutMs`. Returns what ReleaseNamedLock takes, or null when it could not be had.
  virtual void* AcquireNamedLock(const char* name, os::DWORD timeoutMs) = 0;
  virtual void ReleaseNamedLock(void* lock) = 0;

  // Waits at most `timeoutMs` for the process `processId` to end. Non-zero once it has ended or
  // when no such process runs; 0 when it still runs, at once for this process itself.
  virtual os::BOOL WaitForProcessExit(os::DWORD processId, os::DWORD timeoutMs) = 0;
};

}  // namespace tarnwick::platform
