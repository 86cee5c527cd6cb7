#pragma once
// The real Windows services, installed as the platform for as long as this object lives.
#include "platform/Platform.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Windows.h"

namespace tarnwick::platform::win32 {

class Win32Platform {
 public:
  Win32Platform() : previous_(Install(Services{&registry_, &windows_, &shell_, &system_})) {}
  ~Win32Platform() { Install(previous_); }
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

 private:
  // Declared before previous_, so they exist by the time they are installed.
  Win32Registry registry_;
  Win32Windows windows_;
  Win32Shell shell_;
  Win32System system_;
  Services previous_;
};

}  // namespace tarnwick::platform::win32
