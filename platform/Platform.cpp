#include "platform/Platform.h"

#include <stdexcept>

namespace tarnwick::platform {
namespace {
Services& Current() {
  static Services services;
  return services;
}
}  // namespace

Registry& Reg() {
  Registry* registry = Current().registry;
  if (registry == nullptr) throw std::logic_error("no registry service installed");
  return *registry;
}

Services Install(const Services& services) {
  Services before = Current();
  Current() = services;
  return before;
}

}  // namespace tarnwick::platform
