#pragma once
#include <stdexcept>
#include <string>

namespace tarnwick::settings {

// A registry read or write that failed; the message names the value.
class ERegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;

  static ERegistryError SetFailed(const std::string& name) {
    return ERegistryError("Failed to set data for '" + name + "'");
  }
  static ERegistryError GetFailed(const std::string& name) {
    return ERegistryError("Failed to get data for '" + name + "'");
  }
  static ERegistryError InvalidType(const std::string& name) {
    return ERegistryError("Invalid data type for '" + name + "'");
  }
};

}  // namespace tarnwick::settings
