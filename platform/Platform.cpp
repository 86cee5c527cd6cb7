#include "platform/Platform.h"

#include <stdexcept>
#include <string>

namespace tarnwick::platform {
namespace {
Services& Current() {
  static Services services;
  return services;
}

template <typename T>
T& Require(T* service, const char* name) {
  if (service == nullptr) throw std::logic_error(std::string("no ") + name + " service installed");
  return *service;
}
}  // namespace

Registry& Reg() { return Require(Current().registry, "registry"); }
Windows& Win() { return Require(Current().windows, "windows"); }
Shell& Sh() { return Require(Current().shell, "shell"); }
System& Sys() { return Require(Current().system, "system"); }

Services Install(const Services& services) {
  Services before = Current();
  Current() = services;
  return before;
}

}  // namespace tarnwick::platform
