#include "ui/Application.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "ui/ErrorBoundary.h"
#include "ui/Form.h"

namespace tarnwick::ui {
namespace {

using namespace platform::os;
using platform::Win;

// WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX: a window with a
// taskbar button but no visible frame.
constexpr DWORD kApplicationStyle = 0x84CA0000;

Application*& CurrentApplication() {
  static Application* current = nullptr;
  return current;
}

}  // namespace

Application::Application() {
  if (CurrentApplication() == nullptr) {
    CurrentApplication() = this;
    SetExceptionHandler([this](std::exception_ptr error) { HandleException(error); });
  }
  ShowError = [this](const std::string& message) {
    Win().MessageBoxA(handle_, message.c_str(), title_.c_str(), kMbOk | kMbIconError);
  };
}

Application::~Application() {
  if (handle_ != nullptr) {
    Win().SetWindowLongPtrA(handle_, kGwlpUserData, 0);
    Win().DestroyWindow(handle_);
  }
  if (CurrentApplication() == this) {
    CurrentApplication() = nullptr;
    SetExceptionHandler(nullptr);
  }
}

Application* Application::Current() { return CurrentApplication(); }

void Application::Initialize() {
  if (handle_ != nullptr) return;
  HINSTANCE instance = Win().GetModuleHandleA(nullptr);
  WNDCLASSA existing;
  if (Win().GetClassInfoA(instance, kApplicationWindowClass, &existing) == 0) {
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kApplicationWindowClass;
    Win().RegisterClassA(&windowClass);
  }
  handle_ = Win().CreateWindowExA(0, kApplicationWindowClass, title_.c_str(), kApplicationStyle,
                                  0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (handle_ == nullptr) throw std::runtime_error("Cannot create the application window");
  Win().SetWindowLongPtrA(handle_, kGwlpUserData, reinterpret_cast<std::intptr_t>(this));
}

void Application::SetTitle(std::string title) {
  title_ = std::move(title);
  if (handle_ != nullptr) Win().SetWindowTextA(handle_, title_.c_str());
}

void Application::Minimize() {
  if (handle_ != nullptr) Win().ShowWindow(handle_, kSwMinimize);
}

void Application::Restore() {
  if (handle_ != nullptr && Win().IsIconic(handle_) != 0) Win().ShowWindow(handle_, kSwRestore);
}

bool Application::Step(bool wait) {
  MSG message;
  if (wait) {
    if (Win().GetMessageA(&message, nullptr, 0, 0) <= 0) {
      terminated_ = true;
      return false;
    }
  } else if (Win().PeekMessageA(&message, nullptr, 0, 0, kPmRemove) == 0) {
    return false;
  } else if (message.message == kWmQuit) {
    terminated_ = true;
    return false;
  }
  if (messageFilter_ && Guard(false, [&] { return messageFilter_(message); })) return true;
  Win().TranslateMessage(&message);
  Win().DispatchMessageA(&message);
  return true;
}

void Application::Terminate() { Win().PostQuitMessage(0); }

void Application::ProcessMessages() {
  while (Step(false)) {
  }
}

void Application::Run() {
  if (mainForm_ != nullptr && showMainForm_) mainForm_->SetVisible(true);
  while (!terminated_ && Step(true)) {
  }
}

int Application::AddHook(Hook hook) {
  hooks_.emplace_back(nextHook_, std::move(hook));
  return nextHook_++;
}

void Application::RemoveHook(int id) {
  hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(),
                              [id](const auto& entry) { return entry.first == id; }),
               hooks_.end());
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
  if (ShowError) ShowError(message);
}

LRESULT Application::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  const auto hooks = hooks_;
  for (const auto& [id, hook] : hooks) {
    LRESULT result = 0;
    if (hook(message, wParam, lParam, result)) return result;
  }
  if (message == kWmSysCommand && (wParam & 0xFFF0) == kScMinimize) {
    Minimize();
    return 0;
  }
  if (message == kWmSysCommand && (wParam & 0xFFF0) == kScRestore) {
    Restore();
    return 0;
  }
  return Win().DefWindowProcA(handle_, message, wParam, lParam);
}

LRESULT Application::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* app = reinterpret_cast<Application*>(Win().GetWindowLongPtrA(window, kGwlpUserData));
  if (app == nullptr) return Win().DefWindowProcA(window, message, wParam, lParam);
  if (message == kWmNcDestroy) {
    Win().SetWindowLongPtrA(window, kGwlpUserData, 0);
    app->handle_ = nullptr;
    return Win().DefWindowProcA(window, message, wParam, lParam);
  }
  return Guard(LRESULT{0}, [&] { return app->Dispatch(message, wParam, lParam); });
}

}  // namespace tarnwick::ui
