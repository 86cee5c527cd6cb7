// The Windows Installer package's own actions, in a DLL that the package carries (tarnwick.wxs).
// Register and Unregister run as the system, where the program's error box would wait for ever
// for a click nobody can give: so the program is started hidden with its error output on a pipe,
// which tells it that nobody watches, and the line it writes there goes to the installation's
// log. Each entry is called by Windows Installer with the installation's handle; no exception
// leaves one.
#include <exception>
#include <string>

#include "dialogs/SettingsForm.h"
#include "platform/win32/HiddenProcess.h"
#include "platform/win32/InstallerSession.h"
#include "platform/win32/Win32Platform.h"
#include "settings/RegAccessor.h"
#include "settings/SettingsStore.h"
#include "toolbar/ToolbarButtons.h"

namespace {

using namespace tarnwick;
using namespace tarnwick::platform::os;
using platform::win32::InstallerSession;
using platform::win32::MsiHandle;

// What an action answers Windows Installer: done, or failed, which rolls the installation back.
constexpr unsigned kActionDone = 0;         // ERROR_SUCCESS
constexpr unsigned kActionFailed = 1603;    // ERROR_INSTALL_FAILURE

// The program's own waits, for its turn to register and for a running instance to end, come to
// 20 s; one that runs longer is hung, and the installation does not wait for it: it ends within
// a minute, failed.
constexpr DWORD kProgramLimit = 30000;

bool IsMissingFile(DWORD error) {
  return error == static_cast<DWORD>(kErrorFileNotFound) ||
         error == static_cast<DWORD>(kErrorPathNotFound);
}

// Runs the installed program with `verb`; its failure fails the action, and so the installation.
unsigned RunProgram(const InstallerSession& install, const char* verb) {
  const std::string program = install.CustomActionData();
  const std::string name = std::string("\"tarnwick.exe ") + verb + "\"";
  install.Log("Running " + name + " from " + program);
  const platform::win32::HiddenRun run = platform::win32::RunHidden(program, verb, kProgramLimit);
  if (run.exitCode == 0u) return kActionDone;
  if (!run.exitCode && run.startError == 0) {
    install.Log(name + " did not end within " + std::to_string(kProgramLimit / 1000) +
                     " s and was ended.");
  } else if (!run.exitCode && IsMissingFile(run.startError) && verb == std::string("Unregister")) {
    // The file went by hand: what Unregister removes goes all the same, or it would stay with
    // nothing left to remove it.
    install.Log(program + " is missing; its toolbar button is removed without it.");
    const platform::win32::Win32Platform os;
    toolbar::UnregisterProgramButton(settings::kProgramTitle);
    return kActionDone;
  } else if (!run.exitCode) {
    install.Log(program + " could not be started: error " + std::to_string(run.startError) + ".");
  } else {
    install.Log(name + " ended with code " + std::to_string(*run.exitCode) +
                     (run.output.empty() ? "." : ": " + run.output));
  }
  return kActionFailed;
}

// Runs `action`, so that no exception reaches Windows Installer: one fails the action.
template <typename Action>
unsigned Guarded(MsiHandle handle, Action action) {
  const InstallerSession install(handle);
  try {
    return action(install);
  } catch (const std::exception& e) {
    install.Log(e.what());
  } catch (...) {
    install.Log("An unknown error.");
  }
  return kActionFailed;
}

}  // namespace

// Exported under these plain names (the build links with --kill-at), as the package names them.
extern "C" {

__declspec(dllexport) unsigned __stdcall Register(MsiHandle install) {
  return Guarded(install, [](const InstallerSession& session) { return RunProgram(session, "Register"); });
}

__declspec(dllexport) unsigned __stdcall Unregister(MsiHandle install) {
  return Guarded(install,
                 [](const InstallerSession& session) { return RunProgram(session, "Unregister"); });
}

// What the Options box's "Start with Windows" made of the removing user's account: the Run entry
// goes, and the settings, which stay, no longer say it is there.
__declspec(dllexport) unsigned __stdcall ForgetStartWithWindows(MsiHandle install) {
  return Guarded(install, [](const InstallerSession&) {
    const platform::win32::Win32Platform os;
    settings::TRegAccessor user;
    if (user.OpenPath(dialogs::kRunKey, false)) user.EraseValue(settings::kProgramTitle);
    user.ClosePath();
    if (user.OpenPath(settings::kSettingsKey, false) &&
        user.HasValue(settings::kStartWithWindows.Name())) {
      user.WriteDword(settings::kStartWithWindows.Name(), 0);
    }
    return kActionDone;
  });
}

}  // extern "C"
