#pragma once
// A fresh emulated operating system, installed as the platform for as long as it lives.
#include "platform/Platform.h"
#include "platform/emulated/EmulatedRegistry.h"
#include "platform/emulated/EmulatedShell.h"
#include "platform/emulated/EmulatedSystem.h"
#include "platform/emulated/EmulatedWindows.h"

namespace tarnwick::platform::emulated {

// Windows and processes are of the one emulated process unless a test says otherwise.
static_assert(EmulatedSystem::kProcessId == EmulatedWindows::kProcessId);

class EmulatedPlatform {
 public:
  EmulatedPlatform() : previous_(Install(Services{&registry_, &windows_, &shell_, &system_})) {}
  ~EmulatedPlatform() { Install(previous_); }
  EmulatedPlatform(const EmulatedPlatform&) = delete;
  EmulatedPlatform& operator=(const EmulatedPlatform&) = delete;

  EmulatedRegistry& registry() { return registry_; }
  EmulatedWindows& windows() { return windows_; }
  EmulatedShell& shell() { return shell_; }
  EmulatedSystem& system() { return system_; }

  // Which Windows the program runs on, and of which width it is: the registry's views and the
  // system's answer agree.
  using Machine = EmulatedRegistry::Machine;
  void SetMachine(Machine machine) {
    registry_.SetMachine(machine);
    system_.SetNativeProcessorArchitecture(machine == Machine::Windows32
                                               ? os::kProcessorArchitectureIntel
                                               : os::kProcessorArchitectureAmd64);
  }

 private:
  EmulatedRegistry registry_;
  EmulatedWindows windows_;
  EmulatedShell shell_{windows_};
  EmulatedSystem system_;
  Services previous_;
};

}  // namespace tarnwick::platform::emulated
