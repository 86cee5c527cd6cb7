#include "ui/ErrorBoundary.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

namespace tarnwick::ui {
namespace {
ExceptionHandler& Current() {
  static ExceptionHandler handler;
  return handler;
}
}  // namespace

ExceptionHandler SetExceptionHandler(ExceptionHandler handler) {
  return std::exchange(Current(), std::move(handler));
}

void ReportException(std::exception_ptr error) noexcept {
  try {
    if (Current()) {
      Current()(error);
      return;
    }
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "unknown error\n");
  }
}

}  // namespace tarnwick::ui
