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

}  // namespace tarnwick::ui
