#pragma once
// Owners of the handles the portable code opens through the platform: registry keys, locks
// shared between processes, windows, files and libraries.
#include "platform/Handle.h"
#include "platform/Platform.h"

namespace tarnwick::platform {

inline void CloseRegKey(HKEY key) { Reg().RegCloseKey(key); }
using RegKey = UniqueHandle<ClosedBy<HKEY, &CloseRegKey>>;

inline void ReleaseNamedLock(void* lock) { Sys().ReleaseNamedLock(lock); }
using NamedLock = UniqueHandle<ClosedBy<void*, &ReleaseNamedLock>>;

// Waits at most `timeoutMs` for the lock `name`. An empty owner means the wait ran out; the
// caller then goes on without the lock.
inline NamedLock TakeNamedLock(const char* name, os::DWORD timeoutMs) {
  return NamedLock(Sys().AcquireNamedLock(name, timeoutMs));
}

// A window can also be destroyed from elsewhere (its parent, the system at log-off); its window
// procedure then lets go of it (Release) at WM_NCDESTROY, so it is never destroyed twice.
inline void DestroyOwnedWindow(HWND window) { Win().DestroyWindow(window); }
using WindowOwner = UniqueHandle<ClosedBy<HWND, &DestroyOwnedWindow>>;

inline void CloseFile(os::HANDLE file) { Sys().CloseHandle(file); }
using FileHandle = UniqueHandle<ClosedBy<os::HANDLE, &CloseFile>>;

// CreateFileA into an owner; an empty owner when it failed, with the reason for GetLastError.
// (The owner's "none" is null, which CreateFileA never returns for an open file.)
inline FileHandle OpenOwnedFile(const char* path, os::DWORD access, os::DWORD share,
                           os::DWORD disposition) {
  const os::HANDLE file = Sys().CreateFileA(path, access, share, disposition);
  return FileHandle(file == os::InvalidHandleValue() ? nullptr : file);
}

inline void FreeLoadedLibrary(os::HINSTANCE module) { Sys().FreeLibrary(module); }
using LibraryHandle = UniqueHandle<ClosedBy<os::HINSTANCE, &FreeLoadedLibrary>>;

inline LibraryHandle LoadOwnedLibrary(const char* name) {
  return LibraryHandle(Sys().LoadLibraryA(name));
}

// Work begun on a thread of its own; the owner waits for it to end.
inline void FinishWork(void* work) { Sys().FinishWork(work); }
using WorkHandle = UniqueHandle<ClosedBy<void*, &FinishWork>>;

inline WorkHandle StartOwnedWork(std::function<void()> work) {
  return WorkHandle(Sys().StartWork(std::move(work)));
}

}  // namespace tarnwick::platform
