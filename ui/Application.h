#pragma once
// The application object: the hidden-caption application window that carries the taskbar button
// and owns the main window, the main window itself, the message loop and the error handler.
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "ui/Backend.h"
#include "ui/BoundWindow.h"
#include "ui/Control.h"

namespace tarnwick::ui {

class Form;

using platform::HWND;
using platform::LPARAM;
using platform::LRESULT;
using platform::MSG;
using platform::UINT;
using platform::WPARAM;

inline constexpr const char* kApplicationWindowClass = "TApplication";

class Application {
 public:
  using Hook = BoundWindow::Hook;

  // The first application created is the current one until it is destroyed. Its HandleException
  // receives every error that reaches an OS entry point.
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  static Application* Current();

  // Creates the application window.
  void Initialize();
  HWND Handle() const { return window_.Handle(); }

  // The program's icon, small (title bars) and large (the taskbar, Alt+Tab): the application
  // window carries it, and so does every form whose frame shows one, as their classes' icons.
  // Given before Initialize, since a class takes its icons when it is registered. The caller
  // keeps them alive.
  void SetIcons(os::HICON small, os::HICON large);
  os::HICON SmallIcon() const { return smallIcon_; }
  os::HICON LargeIcon() const { return largeIcon_; }

  const std::string& Title() const { return title_; }
  // Also the text of the taskbar button.
  void SetTitle(std::string title);

  Form* MainForm() const { return mainForm_; }
  // The first form created at start becomes the main window.
  void SetMainForm(Form* form) { mainForm_ = form; }
  // Whether Run shows the main window when the loop starts.
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool show) { showMainForm_ = show; }

  // Minimises the application window, taking the taskbar button's state with it.
  void Minimize();
  // Restores the application window when it is minimised.
  void Restore();
  // Shows the application window, and so the taskbar button, without activating it.
  void ShowTaskbarButton();
  // Hides the application window, and so the taskbar button.
  void HideTaskbarButton();

  // The pointer over every window of the program; HourGlass while it is busy, Default otherwise.
  Cursor GetCursor() const { return cursor_; }
  void SetCursor(Cursor cursor);

  // Runs every message pending for the thread, then returns. A WM_TIMER that names a timer
  // procedure is dropped: the program sets none. A WM_QUIT ends it and is posted again for the
  // loop outside.
  void ProcessMessages();
  // Waits for one message and runs it; false when it was WM_QUIT, whose exit code goes to
  // `quitCode`. The loop of a modal form.
  bool HandleMessage(int* quitCode = nullptr);
  // True once the loop has received WM_QUIT.
  bool Terminated() const { return terminated_; }
  // Shows the main window (when ShowMainForm), then the errors held meanwhile, and runs the
  // message loop until WM_QUIT.
  void Run();
  // From now until Run, errors are held rather than shown, so that the windows being made are
  // complete (titled, the main window known, the start counted) before a box waits on the user.
  // Run shows them in the order raised, each text once.
  void HoldErrors() { holdingErrors_ = true; }
  // Ends the message loop: posts WM_QUIT.
  void Terminate();
  // Runs `work` once, the next time the loop finds no message waiting: at start, once the windows
  // shown have been painted. Returns what CancelIdleWork takes.
  int WhenIdle(std::function<void()> work);
  void CancelIdleWork(int id);

  // The forms of the program, for a modal form to disable the others.
  void AddForm(Form& form) { forms_.push_back(&form); }
  void RemoveForm(Form& form) {
    std::erase(forms_, &form);
    std::erase(heldBack_, &form);
  }
  // Disables every form's window that is enabled, other than `except`'s; returns them.
  std::vector<HWND> DisableFormsExcept(const Form* except);
  // The modal form shown last that is still shown, or null.
  Form* ModalForm() const;
  // The form the user works in: the modal form, else a form of ours in the foreground, else the
  // main window while it is shown and enabled; null when none is. The application window passes
  // the keyboard on to it, and boxes stand over it.
  Form* FormForTheKeyboard() const;
  // A message box over `over` (by default the form in use) while none of the program's windows
  // takes input; timers and the tray go on. Returns the button pressed.
  int ShowMessageBox(const std::string& text, UINT type, Form* over = nullptr);
  // Whether `form`, about to appear (`showing`) or not, waits until no box is open; each request
  // for a form replaces its earlier one.
  bool HoldBack(Form& form, bool showing);

  // The real controls behind the forms; null when headless.
  Backend* GetBackend() const { return backend_.get(); }
  void SetBackend(std::unique_ptr<Backend> backend) { backend_ = std::move(backend); }

  // Hooks on the application window's messages, consulted before its own handling.
  int AddHook(Hook hook) { return window_.AddHook(std::move(hook)); }
  void RemoveHook(int id) { window_.RemoveHook(id); }

  // The default error handler: OnException when assigned, otherwise ShowError with the message.
  void HandleException(std::exception_ptr error);
  std::function<void(Application& sender, std::exception_ptr error)> OnException;
  // Presents an error message to the user; by default a message box titled with the title, over
  // the window in use, while none of the program's windows takes input.
  std::function<void(const std::string& message)> ShowError;

 private:
  std::optional<LRESULT> WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  bool Step(bool wait, int* quitCode = nullptr);
  void RunIdleWork();

  BoundWindow window_;
  std::string title_;
  os::HICON smallIcon_ = nullptr;
  os::HICON largeIcon_ = nullptr;
  Form* mainForm_ = nullptr;
  bool showMainForm_ = true;
  bool terminated_ = false;
  bool holdingErrors_ = false;
  std::vector<std::string> heldErrors_;
  std::unique_ptr<Backend> backend_;
  std::vector<Form*> forms_;
  int boxesOpen_ = 0;
  std::vector<Form*> heldBack_;  // to be shown once the boxes are answered
  Cursor cursor_ = Cursor::Default;
  std::vector<std::pair<int, std::function<void()>>> idleWork_;
  int lastIdleWork_ = 0;
};

}  // namespace tarnwick::ui
