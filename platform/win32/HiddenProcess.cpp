#include "platform/win32/HiddenProcess.h"

#include <windows.h>

#include "platform/Handle.h"

namespace tarnwick::platform::win32 {
namespace {

void CloseOsHandle(HANDLE handle) { ::CloseHandle(handle); }
using OsHandle = UniqueHandle<ClosedBy<HANDLE, CloseOsHandle>>;

constexpr DWORD kPollInterval = 50;

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

}  // namespace

HiddenRun RunHidden(const std::string& program, const std::string& verb, os::DWORD limitMs) {
  HiddenRun run;
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

  const ULONGLONG deadline = ::GetTickCount64() + limitMs;
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

}  // namespace tarnwick::platform::win32
