#include "ui/Form.h"

#include <stdexcept>
#include <utility>
#include <vector>

#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/ErrorBoundary.h"

namespace tarnwick::ui {
namespace {

using namespace platform::os;
using platform::Win;

// WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN: a fixed single border, no
// maximise box, and controls that the frame does not paint over.
constexpr DWORD kFormStyle = 0x02CA0000;
// WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME, with WS_EX_DLGMODALFRAME: the
// dialog frame, with the close box alone.
constexpr DWORD kDialogStyle = 0x02C80080;
constexpr DWORD kDialogExStyle = 0x00000001;

void Visit(const std::vector<Control*>& controls, const std::function<void(Control&)>& visit,
           bool contentsFirst = false) {
  for (Control* control : controls) {
    if (!contentsFirst) visit(*control);
    Visit(control->Children(), visit, contentsFirst);
    if (contentsFirst) visit(*control);
  }
}

Button* FindButton(const Form& form, bool (Button::*flag)() const) {
  Button* found = nullptr;
  form.EachControl([&](Control& control) {
    auto* button = dynamic_cast<Button*>(&control);
    if (found == nullptr && button != nullptr && (button->*flag)()) found = button;
  });
  return found;
}

bool IsMainForm(const Form& form) {
  Application* app = Application::Current();
  return app != nullptr && app->MainForm() == &form;
}

}  // namespace

Form::Form(std::string className, Component* owner)
    : Component(owner),
      className_(std::move(className)),
      window_([this](UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
        return WndProc(message, wParam, lParam);
      }) {
  if (Application* app = Application::Current()) app->AddForm(*this);
}

Form::~Form() {
  if (Application* app = Application::Current()) app->RemoveForm(*this);
}

HWND Form::Handle() {
  if (window_.Handle() != nullptr) return window_.Handle();
  Application* app = Application::Current();
  const bool dialog = borderStyle_ == BorderStyle::Dialog;
  // A dialog stays above the main window that opens it.
  Form* main = app != nullptr ? app->MainForm() : nullptr;
  HWND owner = dialog && main != nullptr && main != this ? main->Handle()
               : app != nullptr                         ? app->Handle()
                                                        : nullptr;
  // A dialog frame shows no icon; the main window's frame shows the program's.
  const bool icons = !dialog && app != nullptr;
  WindowShape shape{.className = className_.c_str(),
                    .title = caption_.c_str(),
                    .style = dialog ? kDialogStyle : kFormStyle,
                    .exStyle = dialog ? kDialogExStyle : 0,
                    .parent = owner,
                    .at = {0, 0, 400, 300},
                    .background = reinterpret_cast<HBRUSH>(std::intptr_t{kColorBtnFace + 1}),
                    .icon = icons ? app->LargeIcon() : nullptr,
                    .smallIcon = icons ? app->SmallIcon() : nullptr};
  if (app != nullptr && app->GetBackend() != nullptr) app->GetBackend()->ShapeForm(*this, shape);
  return window_.Create(shape);
}

void Form::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  if (HandleAllocated()) Win().SetWindowTextA(window_.Handle(), caption_.c_str());
}

void Form::EachControl(const std::function<void(Control&)>& visit) const {
  Visit(controls_, visit);
}

void Form::EachControlContentsFirst(const std::function<void(Control&)>& visit) const {
  Visit(controls_, visit, true);
}

void Form::CreatePeers() {
  Handle();
  Application* app = Application::Current();
  if (app != nullptr && app->GetBackend() != nullptr) app->GetBackend()->CreatePeers(*this);
}

bool Form::KeyDown(int virtualKey) {
  Button* target = nullptr;
  if (virtualKey == kVkEscape) target = FindButton(*this, &Button::Cancel);
  if (virtualKey == kVkReturn && dynamic_cast<Button*>(focused_) == nullptr) {
    target = FindButton(*this, &Button::Default);
  }
  if (target == nullptr || !target->Enabled()) return false;
  target->UserClick();
  return true;
}

bool Form::PreviewKey(int virtualKey, unsigned shift) {
  if (!keyPreview_ || !OnKeyDown) return false;
  int key = virtualKey;
  OnKeyDown(*this, key, shift);
  return key == 0;
}

void Form::Close() {
  bool canClose = true;
  CloseQuery(canClose);
  if (!canClose) return;
  // What OnClose could not do is said, and the window closes all the same: one that stayed open
  // because its closing handler failed could never be closed.
  if (OnClose) Guard([&] { OnClose(*this); });
  if (modal_) {
    modalResult_ = kMrCancel;  // the modal loop hides the form
    return;
  }
  SetVisible(false);
  if (IsMainForm(*this)) Application::Current()->Terminate();
}

int Form::ShowModal() {
  Application* app = Application::Current();
  if (app == nullptr) throw std::logic_error("A modal form needs the application");
  if (modal_) return kMrNone;  // already shown; a nested request has nothing to wait for
  modal_ = true;
  modalResult_ = kMrNone;
  const std::vector<HWND> disabled = app->DisableFormsExcept(this);
  int quitCode = 0;
  bool quit = false;
  try {
    SetVisible(true);
    while (modalResult_ == kMrNone) {
      if (!app->HandleMessage(&quitCode)) {
        quit = true;
        modalResult_ = kMrCancel;
      }
    }
  } catch (...) {
    // The loop ends, and the reason is shown rather than lost.
    modalResult_ = kMrCancel;
    ReportException(std::current_exception());
  }
  // Enabled again before the form hides, so that the activation goes back to its owner.
  for (HWND window : disabled) Win().EnableWindow(window, 1);
  if (HandleAllocated()) Win().ShowWindow(window_.Handle(), kSwHide);
  visible_ = false;
  modal_ = false;
  if (quit) Win().PostQuitMessage(quitCode);
  return modalResult_;
}

bool Form::Visible() const {
  return HandleAllocated() ? Win().IsWindowVisible(window_.Handle()) != 0 : visible_;
}

void Form::SetVisible(bool visible) {
  const bool appearing = visible && !Visible();
  // While a box is open, a form waits for its answer; a modal one is shown all the same, since
  // its own loop waits on it.
  Application* app = Application::Current();
  if (app != nullptr && app->HoldBack(*this, appearing && !modal_)) return;
  if (appearing) CreatePeers();  // a window shown for the first time gets its real controls
  visible_ = visible;
  // The application window carries the taskbar button; it appears with the main window.
  if (visible && IsMainForm(*this)) Application::Current()->ShowTaskbarButton();
  Win().ShowWindow(Handle(), visible ? kSwShow : kSwHide);
  if (appearing && OnShow) OnShow(*this);
}

WindowState Form::State() const {
  return HandleAllocated() && Win().IsIconic(window_.Handle()) != 0 ? WindowState::Minimized
                                                                    : WindowState::Normal;
}

void Form::SetWindowState(WindowState state) {
  if (state == State()) return;
  Win().ShowWindow(Handle(), state == WindowState::Minimized ? kSwMinimize : kSwRestore);
}

int Form::AddHook(Hook hook) { return window_.AddHook(std::move(hook)); }

LRESULT Form::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kWmClose) {
    UserClose();
    return 0;
  }
  // The main window never minimises alone: the application does, and with it the taskbar
  // button, so that whatever watches the application (the tray icon) can take over.
  if (message == kWmSysCommand && (wParam & 0xFFF0) == kScMinimize && IsMainForm(*this)) {
    Application::Current()->Minimize();
    return 0;
  }
  return window_.DefaultProc(message, wParam, lParam);
}

}  // namespace tarnwick::ui
