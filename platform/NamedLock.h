#pragma once
// Holds a lock shared between processes for as long as it lives.
#include <utility>

#include "platform/Platform.h"

namespace tarnwick::platform {

class NamedLock {
 public:
  NamedLock(const char* name, os::DWORD timeoutMs) : lock_(Sys().AcquireNamedLock(name, timeoutMs)) {}
  ~NamedLock() {
    if (lock_ != nullptr) Sys().ReleaseNamedLock(lock_);
  }
  NamedLock(NamedLock&& other) noexcept : lock_(std::exchange(other.lock_, nullptr)) {}
  NamedLock& operator=(NamedLock&&) = delete;
  NamedLock(const NamedLock&) = delete;
  NamedLock& operator=(const NamedLock&) = delete;

  // False when the wait ran out; the holder then goes on without the lock.
  bool Held() const { return lock_ != nullptr; }

 private:
  void* lock_;
};

}  // namespace tarnwick::platform
