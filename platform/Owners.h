#pragma once
// Owners of the handles the portable code opens through the platform: registry keys, locks
// shared between processes, and windows.
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

}  // namespace tarnwick::platform
