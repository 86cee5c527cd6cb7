#pragma once
// What a test's window procedures saw, and how they answer. Window procedures are plain
// functions, so they reach the running test through the one script in force.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace tarnwick::test {

struct Received {
  os::HWND window;
  os::UINT message;
  os::WPARAM wParam;
  os::LPARAM lParam;
  os::DWORD tick;
  std::string by;  // which procedure saw it
  bool operator==(const Received&) const = default;
};

struct Script {
  std::vector<Received> received;
  // Answers a message in place of the default handling when it returns a value.
  std::function<std::optional<os::LRESULT>(os::HWND, os::UINT, os::WPARAM, os::LPARAM)> answer;
  // The procedure a subclass passes messages on to.
  os::WNDPROC saved = nullptr;
};

// The script of the running test; null between tests.
inline Script* script = nullptr;

}  // namespace tarnwick::test
