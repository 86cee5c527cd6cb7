#include "ui/Application.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "ui/ErrorBoundary.h"
#include "ui/Form.h"

namespace tarnwick::ui {
namespace {

using namespace platform::os;
using platform::Win;

// WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX: a window with a
// taskbar button but no visible frame.
constexpr DWORD kApplicationStyle = 0x84CA0000;

// Posted to the application window to pass its keyboard focus on to a form.
constexpr UINT kPassFocusMessage = kWmApp + 1;

Application*& CurrentApplication() {
  static Application* current = nullptr;
  return current;
}

}  // namespace

Application::Application()
    : window_([this](UINT message, WPARAM wParam, LPARAM lParam) {
        return WndProc(message, wParam, lParam);
      }) {
  if (CurrentApplication() == nullptr) {
    CurrentApplication() = this;
    SetExceptionHandler([this](std::exception_ptr error) { HandleException(error); });
  }
  ShowError = [this](const std::string& message) { ShowMessageBox(message, kMbOk | kMbIconError); };
}

Application::~Application() {
  window_.Destroy();
  if (CurrentApplication() == this) {
    CurrentApplication() = nullptr;
    SetExceptionHandler(nullptr);
  }
}

Application* Application::Current() { return CurrentApplication(); }

void Application::Initialize() {
  if (Handle() != nullptr) return;
  window_.Create({.className = kApplicationWindowClass,
                  .title = title_.c_str(),
                  .style = kApplicationStyle,
                  .icon = largeIcon_,
                  .smallIcon = smallIcon_});
}

void Application::SetIcons(os::HICON small, os::HICON large) {
  if (Handle() != nullptr) throw std::logic_error("The icons come before the application window");
  smallIcon_ = small;
  largeIcon_ = large;
}

void Application::SetTitle(std::string title) {
  title_ = std::move(title);
  if (Handle() != nullptr) Win().SetWindowTextA(Handle(), title_.c_str());
}

void Application::Minimize() {
  if (Handle() != nullptr) Win().ShowWindow(Handle(), kSwMinimize);
}

void Application::Restore() {
  if (Handle() != nullptr && Win().IsIconic(Handle()) != 0) Win().ShowWindow(Handle(), kSwRestore);
}

void Application::ShowTaskbarButton() {
  if (Handle() != nullptr && Win().IsWindowVisible(Handle()) == 0) {
    Win().ShowWindow(Handle(), kSwShowNoActivate);
  }
}

void Application::HideTaskbarButton() {
  if (Handle() != nullptr && Win().IsWindowVisible(Handle()) != 0) {
    Win().ShowWindow(Handle(), kSwHide);
  }
}

bool Application::Step(bool wait, int* quitCode) {
  MSG message;
  if (wait) {
    if (Win().GetMessageA(&message, nullptr, 0, 0) <= 0) {
      terminated_ = true;
      if (quitCode != nullptr) *quitCode = static_cast<int>(message.wParam);
      return false;
    }
  } else if (Win().PeekMessageA(&message, nullptr, 0, 0, kPmRemove) == 0) {
    return false;
  } else if (message.message == kWmQuit) {
    terminated_ = true;
    if (quitCode != nullptr) *quitCode = static_cast<int>(message.wParam);
    // A loop that runs what is pending, inside another one, must not swallow the end of it.
    Win().PostQuitMessage(static_cast<int>(message.wParam));
    return false;
  }
  // The program sets no timer procedures. Windows checks a WM_TIMER's procedure against the
  // thread's timers, Wine does not, so one posted by another process would be called.
  if (message.message == kWmTimer && message.lParam != 0) return true;
  if (backend_ && Guard(false, [&] { return backend_->PreTranslate(message); })) return true;
  Win().TranslateMessage(&message);
  Win().DispatchMessageA(&message);
  return true;
}

void Application::SetCursor(Cursor cursor) {
  if (cursor == cursor_) return;
  cursor_ = cursor;
  // Shown at once; the windows keep showing it whenever they are asked for their pointer.
  Win().SetCursor(Win().LoadStandardCursor(cursor == Cursor::HourGlass ? kIdcWait : kIdcArrow));
}

bool Application::HandleMessage(int* quitCode) { return Step(true, quitCode); }

std::vector<HWND> Application::DisableFormsExcept(const Form* except) {
  std::vector<HWND> disabled;
  for (Form* form : forms_) {
    if (form == except || !form->HandleAllocated()) continue;
    HWND window = form->Handle();
    if (Win().IsWindowEnabled(window) == 0) continue;
    Win().EnableWindow(window, 0);
    disabled.push_back(window);
  }
  return disabled;
}

Form* Application::ModalForm() const {
  for (auto it = forms_.rbegin(); it != forms_.rend(); ++it) {
    if ((*it)->Modal()) return *it;
  }
  return nullptr;
}

void Application::Terminate() { Win().PostQuitMessage(0); }

void Application::ProcessMessages() {
  while (Step(false)) {
  }
  if (!terminated_) RunIdleWork();
}

void Application::Run() {
  if (mainForm_ != nullptr && showMainForm_) mainForm_->SetVisible(true);
  holdingErrors_ = false;
  for (const std::string& message : std::exchange(heldErrors_, {})) {
    if (ShowError) ShowError(message);
  }
  while (!terminated_) {
    // A window's paint is a message too, so what waits for idle waits for the first paint. The
    // wait that comes first tells the system that the start is over and the program waits for
    // input, as the first GetMessage that waited would: Wine's WaitForInputIdle returns only
    // after a wait.
    MSG message;
    if (!idleWork_.empty() && Win().PeekMessageA(&message, nullptr, 0, 0, kPmNoRemove) == 0 &&
        Win().MsgWaitForMultipleObjectsEx(0, nullptr, 0, kQsAllInput, kMwmoInputAvailable) ==
            kWaitTimeout) {
      RunIdleWork();
    }
    if (!Step(true)) break;
  }
}

int Application::WhenIdle(std::function<void()> work) {
  idleWork_.emplace_back(++lastIdleWork_, std::move(work));
  return lastIdleWork_;
}

void Application::CancelIdleWork(int id) {
  std::erase_if(idleWork_, [id](const auto& entry) { return entry.first == id; });
}

void Application::RunIdleWork() {
  for (auto& entry : std::exchange(idleWork_, {})) Guard([&] { entry.second(); });
}

void Application::HandleException(std::exception_ptr error) {
  if (OnException) {
    OnException(*this, error);
    return;
  }
  std::string message = "Unknown error";
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
  }
  if (holdingErrors_) {
    // Two windows that read the same bad value at start say the same thing; once is enough.
    if (std::find(heldErrors_.begin(), heldErrors_.end(), message) == heldErrors_.end()) {
      heldErrors_.push_back(message);
    }
    return;
  }
  if (ShowError) ShowError(message);
}

// As under a modal form, the program's windows take no input while the box waits, so that no
// handler runs under it and no second box opens from a click; timers and the tray go on.
int Application::ShowMessageBox(const std::string& text, UINT type, Form* over) {
  if (over == nullptr) over = FormForTheKeyboard();
  HWND owner = over != nullptr ? over->Handle() : Handle();
  // The box disables its owner itself, and enables it again before it goes, so that the
  // activation returns there rather than to another program.
  std::vector<HWND> disabled = DisableFormsExcept(over);
  if (owner != Handle() && Handle() != nullptr && Win().IsWindowEnabled(Handle()) != 0) {
    Win().EnableWindow(Handle(), 0);
    disabled.push_back(Handle());
  }
  ++boxesOpen_;
  const int answer = Win().MessageBoxA(owner, text.c_str(), title_.c_str(), type);
  --boxesOpen_;
  for (HWND window : disabled) Win().EnableWindow(window, 1);
  if (boxesOpen_ == 0) {
    for (Form* form : std::exchange(heldBack_, {})) Guard([&] { form->SetVisible(true); });
  }
  return answer;
}

// A window that came up over an open box could hide it, and would take input while the box
// waits for its answer (the timers run on, and one of them shows the demonstration).
bool Application::HoldBack(Form& form, bool showing) {
  std::erase(heldBack_, &form);
  if (!showing || boxesOpen_ == 0) return false;
  heldBack_.push_back(&form);
  return true;
}

Form* Application::FormForTheKeyboard() const {
  if (Form* modal = ModalForm(); modal != nullptr && modal->Visible()) return modal;
  HWND front = Win().GetForegroundWindow();
  for (Form* form : forms_) {
    if (form->HandleAllocated() && form->Handle() == front && form->Visible() &&
        Win().IsWindowEnabled(front) != 0) {
      return form;
    }
  }
  if (mainForm_ == nullptr || !mainForm_->HandleAllocated()) return nullptr;
  HWND main = mainForm_->Handle();
  if (Win().IsWindowVisible(main) == 0 || Win().IsWindowEnabled(main) == 0) return nullptr;
  return mainForm_;
}

std::optional<LRESULT> Application::WndProc(UINT message, WPARAM wParam, LPARAM) {
  // The application window only carries the taskbar button, yet it is activated by that button,
  // by a restore from the tray and before the tray's menu: typing would go nowhere. The focus is
  // passed on once that activation has finished, unless it has moved on meanwhile.
  if (message == kWmSetFocus) {
    Win().PostMessageA(Handle(), kPassFocusMessage, 0, 0);
    return std::nullopt;
  }
  if (message == kPassFocusMessage) {
    if (Win().GetFocus() == Handle() && Win().IsIconic(Handle()) == 0) {
      if (Form* form = FormForTheKeyboard()) Win().SetForegroundWindow(form->Handle());
    }
    return 0;
  }
  // Closing the taskbar button's window ("Close window", Alt+F4, End task) is closing the
  // program: the main window's close rule decides. Left to the default, the window would go and
  // take the main window it owns with it, leaving a process without a window.
  if (message == kWmClose) {
    if (mainForm_ != nullptr) mainForm_->Close();
    return 0;
  }
  if (message == kWmSysCommand && (wParam & 0xFFF0) == kScMinimize) {
    Minimize();
    return 0;
  }
  if (message == kWmSysCommand && (wParam & 0xFFF0) == kScRestore) {
    Restore();
    return 0;
  }
  return std::nullopt;
}

}  // namespace tarnwick::ui
