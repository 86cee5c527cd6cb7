#pragma once
// The installation that Windows Installer runs one of the package's own actions in: what the
// action was given, and the installation's log. Only the package's actions use it.
#include <string>

namespace tarnwick::platform::win32 {

// What Windows Installer calls MSIHANDLE.
using MsiHandle = unsigned long;

class InstallerSession {
 public:
  explicit InstallerSession(MsiHandle install) : install_(install) {}

  // What a deferred action is given: the property of its own name, set while the installation
  // was planned; empty when there is none.
  std::string CustomActionData() const;
  // A line in the installation's log.
  void Log(const std::string& line) const;

 private:
  MsiHandle install_;
};

}  // namespace tarnwick::platform::win32
