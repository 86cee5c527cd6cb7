#pragma once
// The one place the rest of the program reaches the operating system through. The real Win32
// services or the emulated ones are installed at start; everything else asks here.
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/System.h"
#include "platform/Windows.h"

namespace tarnwick::platform {

struct Services {
  Registry* registry = nullptr;
  Windows* windows = nullptr;
  Shell* shell = nullptr;
  System* system = nullptr;
};

// The services in force. Each throws std::logic_error when its service was not installed.
Registry& Reg();
Windows& Win();
Shell& Sh();
System& Sys();

// Installs `services` and returns the ones in force before, so a scope can put them back.
Services Install(const Services& services);

}  // namespace tarnwick::platform
