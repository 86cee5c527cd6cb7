#include "ui/Form.h"

#include <algorithm>
#include <utility>
#include <stdexcept>

#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/ErrorBoundary.h"

namespace tarnwick::ui {
namespace {

using namespace platform::os;
using platform::Win;

constexpr DWORD kWsOverlappedForm = 0x00CA0000;  // WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX

}  // namespace

Form::Form(std::string className, Component* owner)
    : Component(owner), className_(std::move(className)) {}

Form::~Form() {
  if (handle_ != nullptr) {
    HWND handle = std::exchange(handle_, nullptr);
    Win().SetWindowLongPtrA(handle, kGwlpUserData, 0);
    Win().DestroyWindow(handle);
  }
}

HWND Form::Handle() {
  if (handle_ != nullptr) return handle_;
  HINSTANCE instance = Win().GetModuleHandleA(nullptr);
  WNDCLASSA existing;
  if (Win().GetClassInfoA(instance, className_.c_str(), &existing) == 0) {
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(std::intptr_t{kColorBtnFace + 1});
    windowClass.lpszClassName = className_.c_str();
    Win().RegisterClassA(&windowClass);
  }
  Application* app = Application::Current();
  HWND owner = app != nullptr ? app->Handle() : nullptr;
  handle_ = Win().CreateWindowExA(0, className_.c_str(), caption_.c_str(), kWsOverlappedForm, 0, 0,
                                  400, 300, owner, nullptr, instance, nullptr);
  if (handle_ == nullptr) throw std::runtime_error("Cannot create the window " + className_);
  Win().SetWindowLongPtrA(handle_, kGwlpUserData, reinterpret_cast<std::intptr_t>(this));
  return handle_;
}

void Form::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  if (handle_ != nullptr) Win().SetWindowTextA(handle_, caption_.c_str());
}

namespace {
PeerFactory& CurrentFactory() {
  static PeerFactory factory;
  return factory;
}

template <typename Visit>
void EachControl(const std::vector<Control*>& controls, Visit&& visit) {
  for (Control* control : controls) {
    visit(*control);
    EachControl(control->Children(), visit);
  }
}

Button* FindButton(const std::vector<Control*>& controls, bool (Button::*flag)() const) {
  Button* found = nullptr;
  EachControl(controls, [&](Control& control) {
    auto* button = dynamic_cast<Button*>(&control);
    if (found == nullptr && button != nullptr && (button->*flag)()) found = button;
  });
  return found;
}
}  // namespace

PeerFactory Form::SetPeerFactory(PeerFactory factory) {
  return std::exchange(CurrentFactory(), std::move(factory));
}

void Form::CreatePeers() {
  const PeerFactory& factory = CurrentFactory();
  Handle();
  if (factory.form) factory.form(*this);
  if (factory.control) {
    EachControl(controls_, [&](Control& control) {
      if (control.Peer() == nullptr) control.SetPeer(factory.control(*this, control));
    });
  }
  if (factory.menu && menu_ != nullptr) factory.menu(*this, *menu_);
}

bool Form::KeyDown(int virtualKey) {
  Button* target = nullptr;
  if (virtualKey == kVkEscape) target = FindButton(controls_, &Button::Cancel);
  if (virtualKey == kVkReturn && dynamic_cast<Button*>(focused_) == nullptr) {
    target = FindButton(controls_, &Button::Default);
  }
  if (target == nullptr || !target->Enabled()) return false;
  target->UserClick();
  return true;
}

void Form::Close() {
  bool canClose = true;
  CloseQuery(canClose);
  if (!canClose) return;
  SetVisible(false);
  Application* app = Application::Current();
  if (app != nullptr && app->MainForm() == this) app->Terminate();
}

bool Form::Visible() const {
  return handle_ != nullptr ? Win().IsWindowVisible(handle_) != 0 : visible_;
}

void Form::SetVisible(bool visible) {
  visible_ = visible;
  // The application window carries the taskbar button; it appears with the main window.
  Application* app = Application::Current();
  if (visible && app != nullptr && app->MainForm() == this && app->Handle() != nullptr &&
      Win().IsWindowVisible(app->Handle()) == 0) {
    Win().ShowWindow(app->Handle(), kSwShowNoActivate);
  }
  Win().ShowWindow(Handle(), visible ? kSwShow : kSwHide);
}

WindowState Form::State() const {
  return handle_ != nullptr && Win().IsIconic(handle_) != 0 ? WindowState::Minimized
                                                            : WindowState::Normal;
}

void Form::SetWindowState(WindowState state) {
  if (state == State()) return;
  Win().ShowWindow(Handle(), state == WindowState::Minimized ? kSwMinimize : kSwRestore);
}

int Form::AddHook(Hook hook) {
  hooks_.emplace_back(nextHook_, std::move(hook));
  return nextHook_++;
}

void Form::RemoveHook(int id) {
  hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(),
                              [id](const auto& entry) { return entry.first == id; }),
               hooks_.end());
}

LRESULT Form::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kWmClose) {
    UserClose();
    return 0;
  }
  return Win().DefWindowProcA(handle_, message, wParam, lParam);
}

LRESULT Form::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  // A hook may remove itself or others while it runs, so walk a copy.
  const auto hooks = hooks_;
  for (const auto& [id, hook] : hooks) {
    if (std::optional<LRESULT> result = hook(message, wParam, lParam)) return *result;
  }
  return WndProc(message, wParam, lParam);
}

LRESULT Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* form = reinterpret_cast<Form*>(Win().GetWindowLongPtrA(window, kGwlpUserData));
  if (form == nullptr) return Win().DefWindowProcA(window, message, wParam, lParam);
  if (message == kWmNcDestroy) {
    Win().SetWindowLongPtrA(window, kGwlpUserData, 0);
    form->handle_ = nullptr;
    return Win().DefWindowProcA(window, message, wParam, lParam);
  }
  return Guard(LRESULT{0}, [&] { return form->Dispatch(message, wParam, lParam); });
}

}  // namespace tarnwick::ui
