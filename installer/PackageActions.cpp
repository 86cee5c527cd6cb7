// The Windows Installer package's own actions, in a DLL that the package carries (tarnwick.wxs).
// Register and Unregister run as the system, where the program's error box would wait for ever
// for a click nobody can give: so the program is started hidden with its error output on a pipe,
// which tells it that nobody watches, and the line it writes there goes to the installation's
// log. Each entry is called by Windows Installer with the installation's handle; no exception
// leaves one.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <exception>
#include <optional>
#include <string>

#include "dialogs/SettingsForm.h"
#include "platform/Handle.h"
#include "platform/win32/Win32Platform.h"
#include "settings/RegAccessor.h"
#include "settings/SettingsStore.h"
#include "toolbar/ToolbarButtons.h"

namespace {

using namespace tarnwick;

void CloseOsHandle(HANDLE handle) { ::CloseHandle(handle); }
using OsHandle = platform::UniqueHandle<platform::ClosedBy<HANDLE, CloseOsHandle>>;

struct MsiHandleTraits {
  using Handle = MSIHANDLE;
  static constexpr Handle kNull = 0;
  static void Close(Handle handle) { ::MsiCloseHandle(handle); }
};
using MsiRecord = platform::UniqueHandle<MsiHandleTraits>;

// The program's own waits, for its turn to register and for a running instance to end, come to
// 20 s; one that runs longer is hung, and the installation does not wait for it: it ends within
// a minute, failed.
constexpr DWORD kProgramLimit = 30000;
constexpr DWORD kPollInterval = 50;

// A line in the installation's log.
void Log(MSIHANDLE install, const std::string& line) {
  const MsiRecord record(::MsiCreateRecord(1));
  ::MsiRecordSetStringA(record.Get(), 0, "[1]");
  ::MsiRecordSetStringA(record.Get(), 1, line.c_str());
  ::MsiProcessMessage(install, INSTALLMESSAGE_INFO, record.Get());
}

// What a deferred action is given: the property of its own name, set while the installation was
// planned.
std::string CustomActionData(MSIHANDLE install) {
  std::string value(MAX_PATH, '\0');
  DWORD size = static_cast<DWORD>(value.size());
  UINT result = ::MsiGetPropertyA(install, "CustomActionData", value.data(), &size);
  if (result == ERROR_MORE_DATA) {
    value.resize(++size);
    result = ::MsiGetPropertyA(install, "CustomActionData", value.data(), &size);
  }
  if (result != ERROR_SUCCESS) return {};
  value.resize(size);
  return value;
}

// The program's output, read as it comes so that it never waits on a full pipe.
void Drain(HANDLE pipe, std::string& output) {
  DWORD available = 0;
  while (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    char buffer[512];
    DWORD read = 0;
    if (!::ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) || read == 0) return;
    output.append(buffer, read);
  }
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

struct Run {
  std::optional<DWORD> exitCode;  // none when it did not start or did not end in time
  DWORD startError = ERROR_SUCCESS;
  std::string output;
};

// Runs `program verb` to its end, hidden, its standard output and error on one pipe.
Run RunHidden(const std::string& program, const std::string& verb) {
  Run run;
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inherited, 0)) {
    run.startError = ::GetLastError();
    return run;
  }
  const OsHandle reader(readEnd);
  OsHandle writer(writeEnd);
  ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  std::string commandLine = "\"" + program + "\" " + verb;
  PROCESS_INFORMATION started = {};
  if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started)) {
    run.startError = ::GetLastError();
    return run;
  }
  const OsHandle process(started.hProcess);
  const OsHandle thread(started.hThread);
  writer.Reset();  // the program holds the only writing end, so the pipe ends with it

  const ULONGLONG deadline = ::GetTickCount64() + kProgramLimit;
  bool ended = false;
  while (!ended && ::GetTickCount64() < deadline) {
    ended = ::WaitForSingleObject(process.Get(), kPollInterval) == WAIT_OBJECT_0;
    Drain(reader.Get(), run.output);
  }
  if (!ended) {
    ::TerminateProcess(process.Get(), ERROR_TIMEOUT);
    return run;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.Get(), &code);
  run.exitCode = code;
  run.output = Trimmed(run.output);
  return run;
}

bool IsMissingFile(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Runs the installed program with `verb`; its failure fails the action, and so the installation.
UINT RunProgram(MSIHANDLE install, const char* verb) {
  const std::string program = CustomActionData(install);
  const std::string name = std::string("\"tarnwick.exe ") + verb + "\"";
  Log(install, "Running " + name + " from " + program);
  const Run run = RunHidden(program, verb);
  if (run.exitCode == 0u) return ERROR_SUCCESS;
  if (!run.exitCode && run.startError == ERROR_SUCCESS) {
    Log(install, name + " did not end within " + std::to_string(kProgramLimit / 1000) +
                     " s and was ended.");
  } else if (!run.exitCode && IsMissingFile(run.startError) && verb == std::string("Unregister")) {
    // The file went by hand: what Unregister removes goes all the same, or it would stay with
    // nothing left to remove it.
    Log(install, program + " is missing; its toolbar button is removed without it.");
    const platform::win32::Win32Platform os;
    toolbar::UnregisterProgramButton(settings::kProgramTitle);
    return ERROR_SUCCESS;
  } else if (!run.exitCode) {
    Log(install, program + " could not be started: error " + std::to_string(run.startError) + ".");
  } else {
    Log(install, name + " ended with code " + std::to_string(*run.exitCode) +
                     (run.output.empty() ? "." : ": " + run.output));
  }
  return ERROR_INSTALL_FAILURE;
}

// Runs `action`, so that no exception reaches Windows Installer: one fails the action.
template <typename Action>
UINT Guarded(MSIHANDLE install, Action action) {
  try {
    return action();
  } catch (const std::exception& e) {
    Log(install, e.what());
  } catch (...) {
    Log(install, "An unknown error.");
  }
  return ERROR_INSTALL_FAILURE;
}

}  // namespace

// Exported under these plain names (the build links with --kill-at), as the package names them.
extern "C" {

__declspec(dllexport) UINT __stdcall Register(MSIHANDLE install) {
  return Guarded(install, [&] { return RunProgram(install, "Register"); });
}

__declspec(dllexport) UINT __stdcall Unregister(MSIHANDLE install) {
  return Guarded(install, [&] { return RunProgram(install, "Unregister"); });
}

// What the Options box's "Start with Windows" made of the removing user's account: the Run entry
// goes, and the settings, which stay, no longer say it is there.
__declspec(dllexport) UINT __stdcall ForgetStartWithWindows(MSIHANDLE install) {
  return Guarded(install, [] {
    const platform::win32::Win32Platform os;
    settings::TRegAccessor user;
    if (user.OpenPath(dialogs::kRunKey, false)) user.EraseValue(settings::kProgramTitle);
    user.ClosePath();
    if (user.OpenPath(settings::kSettingsKey, false) &&
        user.HasValue(settings::kStartWithWindows.Name())) {
      user.WriteDword(settings::kStartWithWindows.Name(), 0);
    }
    return static_cast<UINT>(ERROR_SUCCESS);
  });
}

}  // extern "C"
