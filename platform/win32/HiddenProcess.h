#pragma once
// A program run to its end with no window and its output read: how the package's own actions
// run tarnwick.exe, which then knows that nobody can answer a box of its.
#include <optional>
#include <string>

#include "platform/Types.h"

namespace tarnwick::platform::win32 {

struct HiddenRun {
  std::optional<os::DWORD> exitCode;  // none when it did not start or did not end in time
  os::DWORD startError = 0;           // why it did not start
  std::string output;                 // its standard output and error, without the last line end
};

// Runs `program verb`, hidden, with its standard output and error on one pipe; one that runs
// longer than `limitMs` is ended.
HiddenRun RunHidden(const std::string& program, const std::string& verb, os::DWORD limitMs);

}  // namespace tarnwick::platform::win32
