#pragma once
// A lock shared between processes, held for as long as its owner lives.
#include "platform/Handle.h"
#include "platform/Platform.h"

namespace tarnwick::platform {

struct NamedLockTraits {
  using Handle = void*;
  static constexpr Handle kNull = nullptr;
  static void Close(Handle lock) { Sys().ReleaseNamedLock(lock); }
};

using NamedLock = UniqueHandle<NamedLockTraits>;

// Waits at most `timeoutMs` for the lock `name`. An empty owner means the wait ran out; the
// caller then goes on without the lock.
inline NamedLock TakeNamedLock(const char* name, os::DWORD timeoutMs) {
  return NamedLock(Sys().AcquireNamedLock(name, timeoutMs));
}

}  // namespace tarnwick::platform
