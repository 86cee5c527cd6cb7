#pragma once
// The one place the rest of the program reaches the operating system through. The real Win32
// services or the emulated ones are installed at start; everything else asks here.
#include "platform/Registry.h"

namespace tarnwick::platform {

struct Services {
  Registry* registry = nullptr;
};

// The services in force. Throws std::logic_error when none were installed.
Registry& Reg();

// Installs `services` and returns the ones in force before, so a scope can put them back.
Services Install(const Services& services);

}  // namespace tarnwick::platform
