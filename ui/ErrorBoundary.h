#pragma once
// Every entry from the operating system into our code (window procedures, timer ticks, shell
// callbacks) runs through Guard, so no exception ever unwinds through a Win32 frame.
#include <exception>
#include <functional>
#include <utility>

namespace tarnwick::ui {

// Where escaped errors go; the application installs its HandleException here.
using ExceptionHandler = std::function<void(std::exception_ptr)>;
// Installs `handler` and returns the one before. Without any, errors are written to stderr.
ExceptionHandler SetExceptionHandler(ExceptionHandler handler);
// Hands the error to the installed handler; never throws.
void ReportException(std::exception_ptr error) noexcept;

// Runs `body`; an escaping error is reported and `fallback` returned instead.
template <typename Result, typename Body>
Result Guard(Result fallback, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    ReportException(std::current_exception());
    return fallback;
  }
}

template <typename Body>
void Guard(Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    ReportException(std::current_exception());
  }
}

// Something that fails again and again (a pass every few seconds, a value read at every hide)
// is told once: the first failure of a run of failures is reported, the ones after it are not,
// and a success ends the run. No second report opens while the first is still shown.
class FailureStreak {
 public:
  // Runs `body`; an escaping error is reported when it starts a run. Whether `body` succeeded.
  template <typename Body>
  bool Run(Body&& body) noexcept {
    try {
      std::forward<Body>(body)();
      reported_ = false;
      return true;
    } catch (...) {
      if (reported_ || reporting_) return false;
      reported_ = true;
      reporting_ = true;
      ReportException(std::current_exception());
      reporting_ = false;
      return false;
    }
  }

 private:
  bool reported_ = false;
  bool reporting_ = false;
};

}  // namespace tarnwick::ui
