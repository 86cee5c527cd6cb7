#include "app/ProgramEntry.h"

#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

#include "demo/DemoWindow.h"
#include "dialogs/AboutForm.h"
#include "dialogs/SettingsForm.h"
#include "platform/Owners.h"
#include "platform/Platform.h"
#include "settings/RegistryError.h"
#include "toolbar/ToolbarButtons.h"

namespace tarnwick::app {
namespace {

using namespace platform::os;
using platform::Win;

// Register and Unregister remove before they add; two runs interleaving would each remove the
// other's nothing and both add, leaving a button no list entry names. They take turns instead,
// across sessions: a package runs them as the system, in a session of its own.
constexpr const char* kRegistrationLock = "Global\\TarnwickToolbarRegistration";
constexpr DWORD kRegistrationWait = 10000;
// How long Register and Unregister wait for a running instance to end after telling it to quit.
constexpr DWORD kQuitWait = 10000;

HWND FindRunningInstance() {
  return Win().FindWindowA(blocking::kMainWindowClass, blocking::kProgramTitle);
}

// Ends a Register or Unregister run: a running instance quits without its close rule. An
// installer runs these before it replaces or deletes the program's file, which stays in use
// until the instance has really ended, so the run waits for that (a hung instance only so long).
void TellRunningInstanceToQuit() {
  HWND running = FindRunningInstance();
  if (running == nullptr) return;
  // Asked before the quit, while the window still names its process.
  DWORD processId = 0;
  Win().GetWindowThreadProcessId(running, &processId);
  Win().PostMessageA(running, kWmQuit, 0, 0);
  if (processId != 0) platform::Sys().WaitForProcessExit(processId, kQuitWait);
}

// Held by the running instance for as long as its windows exist. Peers still find it by its
// window, but a start that comes before that window has its title sees the lock.
constexpr const char* kInstanceLock = "Local\\TarnwickInstance";
// How long a start waits for a starting instance's window: in steps, each a wait for the lock,
// so that an instance that ends meanwhile lets this start run instead.
constexpr DWORD kInstanceWaitStep = 100;
constexpr int kInstanceWaitSteps = 100;

// A running instance of higher integrity (started as administrator) refuses the message unless
// it let it through; a start that cannot reach it says so rather than ending silently.
void HandOver(HWND running) {
  if (Win().PostMessageA(running, blocking::kShowYourselfMessage, 0, 0) == 0) {
    throw std::runtime_error(
        "Tarnwick is already running, but it did not take the request to show itself. Use its "
        "icon in the notification area.");
  }
  Win().SetForegroundWindow(running);
}

// The instance lock, or none when another instance's window turned up (it has been handed over
// to) or never did in time.
platform::NamedLock BecomeTheInstance() {
  if (HWND running = FindRunningInstance()) {
    HandOver(running);
    return {};
  }
  for (int step = 0; step <= kInstanceWaitSteps; ++step) {
    if (auto lock = platform::TakeNamedLock(kInstanceLock, step == 0 ? 0 : kInstanceWaitStep)) {
      return lock;
    }
    if (HWND running = FindRunningInstance()) {
      HandOver(running);
      return {};
    }
  }
  return {};  // an instance that never shows its window: better none than a second one
}

int RunSingleInstance(const StartEnvironment& environment) {
  const platform::NamedLock instance = BecomeTheInstance();
  if (!instance) return 0;
  ui::Application app;
  // The backend prepares the thread for windows, and the icons go with the windows' classes:
  // both come before the first window.
  if (environment.backend) app.SetBackend(environment.backend());
  if (environment.programIcon && environment.smallProgramIcon) {
    app.SetIcons(environment.smallProgramIcon(), environment.programIcon());
  }
  app.Initialize();
  // What goes wrong while the windows are made is shown once they are complete: titled, so that
  // a second start finds them, with the main window known and the start counted.
  app.HoldErrors();
  const blocking::MainWindowImages images =
      environment.images ? environment.images() : blocking::MainWindowImages{};
  // The first window created becomes the main window once it is built.
  auto main = std::make_unique<blocking::TQuillmoor>(images);
  app.SetMainForm(main.get());
  main->CreatePeers();
  // A second start of lower integrity than this one (which may run as administrator to write
  // the machine's keys) must still reach it.
  Win().ChangeWindowMessageFilterEx(main->Handle(), blocking::kShowYourselfMessage, kMsgfltAllow);
  // The other windows are made hidden, in this order; their real windows come when they are
  // first shown.
  auto demo = std::make_unique<demo::TDemo>(environment.stopGlyph);
  auto options = std::make_unique<dialogs::TSettingsF>();
  auto about = std::make_unique<dialogs::TAboutF>(environment.programIcon ? environment.programIcon()
                                                                          : nullptr);
  app.Run();
  return 0;
}

// The error as the "Application Error" box names it; `gap` parts its heading from its message.
std::string DescribeError(std::exception_ptr error, const char* gap) {
  try {
    std::rethrow_exception(error);
  } catch (const settings::ERegistryError& e) {
    return std::string("Exception ERegistryError in module tarnwick.exe.") + gap + e.what();
  } catch (const std::exception& e) {
    return std::string("Exception in module tarnwick.exe.") + gap + e.what();
  } catch (...) {
    return "Exception in module tarnwick.exe.";
  }
}

// The standard error, when the starter gave one.
HANDLE StandardError() {
  const HANDLE handle = platform::Sys().GetStdHandle(kStdErrorHandle);
  return handle == os::InvalidHandleValue() ? nullptr : handle;
}

// Nobody can answer a box when the starter asked for no window at all, or reads the program's
// error output itself through a pipe or a file (silent installers do either), nor in a window
// station that shows nothing (a service's, the system account's). A station that cannot be
// asked counts as shown.
bool SomeoneCanAnswer() {
  os::STARTUPINFOA startup;
  platform::Sys().GetStartupInfoA(&startup);
  if ((startup.dwFlags & kStartfUseShowWindow) != 0 && startup.wShowWindow == kSwHide) {
    return false;
  }
  if (const HANDLE output = StandardError()) {
    const DWORD type = platform::Sys().GetFileType(output);
    if (type == kFileTypeDisk || type == kFileTypePipe) return false;
  }
  os::USEROBJECTFLAGS station;
  return !Win().GetUserObjectInformationA(Win().GetProcessWindowStation(), kUoiFlags, &station,
                                          sizeof station, nullptr) ||
         (station.dwFlags & kWsfVisible) != 0;
}

// A box that nobody can close would keep the start from ever ending; then the reason goes, as
// one line, to the standard error if there is one.
void ReportError(std::exception_ptr error) {
  if (SomeoneCanAnswer()) {
    const std::string text = DescribeError(error, "\n\n");
    Win().MessageBoxA(nullptr, text.c_str(), "Application Error",
                      kMbOk | kMbIconError | kMbTaskModal);
    return;
  }
  const std::string line = DescribeError(error, " ") + "\r\n";
  DWORD written = 0;
  if (const HANDLE output = StandardError()) {
    platform::Sys().WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written);
  }
}

}  // namespace

Course ChooseCourse(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return Course::SingleInstance;
  if (arguments.front() == "Register") return Course::Register;
  if (arguments.front() == "Unregister") return Course::Unregister;
  return Course::Ignore;
}

int RunProgram(const std::vector<std::string>& arguments, const StartEnvironment& environment) {
  try {
    switch (ChooseCourse(arguments)) {
      case Course::SingleInstance:
      case Course::HandOver:
        return RunSingleInstance(environment);
      case Course::Register: {
        // A run that cannot get its turn in time goes on rather than doing nothing.
        const auto turn = platform::TakeNamedLock(kRegistrationLock, kRegistrationWait);
        toolbar::RegisterProgramButton(blocking::kProgramTitle);
        TellRunningInstanceToQuit();
        return 0;
      }
      case Course::Unregister: {
        const auto turn = platform::TakeNamedLock(kRegistrationLock, kRegistrationWait);
        toolbar::UnregisterProgramButton(blocking::kProgramTitle);
        TellRunningInstanceToQuit();
        return 0;
      }
      case Course::Ignore:
        return 0;
    }
  } catch (...) {
    ReportError(std::current_exception());
    return 1;
  }
  return 0;
}

}  // namespace tarnwick::app
