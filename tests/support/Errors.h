#pragma once
// Reading back the errors a test provokes.
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "settings/RegistryError.h"

namespace tarnwick::test {

// The message of the registry error `action` raises, or "(no error)".
inline std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const settings::ERegistryError& e) {
    return e.what();
  }
  return "(no error)";
}

// The message of an error as the application's handler receives it.
inline std::string MessageOf(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "(unknown error)";
  }
}

// An application error handler that collects the messages into `into`.
template <typename Application>
void CollectErrors(Application& app, std::vector<std::string>& into) {
  app.OnException = [&into](Application&, std::exception_ptr error) {
    into.push_back(MessageOf(error));
  };
}

}  // namespace tarnwick::test
