#pragma once
// The application object: the hidden-caption application window that carries the taskbar button
// and owns the main window, the main window itself, the message loop and the error handler.
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

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
  // Sees each of the application window's messages before its own handling; true takes it.
  using Hook = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

  // The first application created is the current one until it is destroyed. Its HandleException
  // receives every error that reaches an OS entry point.
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  static Application* Current();

  // Creates the application window.
  void Initialize();
  HWND Handle() const { return handle_; }

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

  // Runs every message pending for the thread, then returns.
  void ProcessMessages();
  // True once the loop has received WM_QUIT.
  bool Terminated() const { return terminated_; }
  // Shows the main window (when ShowMainForm) and runs the message loop until WM_QUIT.
  void Run();
  // Ends the message loop: posts WM_QUIT.
  void Terminate();

  // Sees each message the loop takes from the queue before it is dispatched; true consumes it.
  // Keyboard handling of forms (default and cancel buttons) hooks in here.
  using MessageFilter = std::function<bool(MSG& message)>;
  void SetMessageFilter(MessageFilter filter) { messageFilter_ = std::move(filter); }

  int AddHook(Hook hook);
  void RemoveHook(int id);

  // The default error handler: OnException when assigned, otherwise ShowError with the message.
  void HandleException(std::exception_ptr error);
  std::function<void(Application& sender, std::exception_ptr error)> OnException;
  // Presents an error message to the user; by default a message box titled with the title.
  std::function<void(const std::string& message)> ShowError;

 private:
  static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  bool Step(bool wait);

  HWND handle_ = nullptr;
  std::string title_;
  Form* mainForm_ = nullptr;
  bool showMainForm_ = true;
  bool terminated_ = false;
  std::vector<std::pair<int, Hook>> hooks_;
  int nextHook_ = 1;
  MessageFilter messageFilter_;
};

}  // namespace tarnwick::ui
