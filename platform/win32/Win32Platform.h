#pragma once
// The real Windows services, installed as the platform for as long as this object lives.
#include "platform/Platform.h"
#include "platform/win32/Win32Registry.h"

namespace tarnwick::platform::win32 {

class Win32Platform {
 public:
  Win32Platform() : previous_(Install(Services{&registry_})) {}
  ~Win32Platform() { Install(previous_); }
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

 private:
  Win32Registry registry_;
  Services previous_;
};

}  // namespace tarnwick::platform::win32
