#pragma once
// A fresh emulated operating system, installed as the platform for as long as it lives.
#include "platform/Platform.h"
#include "platform/emulated/EmulatedRegistry.h"

namespace tarnwick::platform::emulated {

class EmulatedPlatform {
 public:
  EmulatedPlatform() : previous_(Install(Services{&registry_})) {}
  ~EmulatedPlatform() { Install(previous_); }
  EmulatedPlatform(const EmulatedPlatform&) = delete;
  EmulatedPlatform& operator=(const EmulatedPlatform&) = delete;

  EmulatedRegistry& registry() { return registry_; }

 private:
  EmulatedRegistry registry_;
  Services previous_;
};

}  // namespace tarnwick::platform::emulated
