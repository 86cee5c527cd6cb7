#pragma once
// A top-level window with its own window class, named after the form's class ("TQuillmoor").
// The window is created when its handle is first needed. Other components can watch its
// messages through hooks.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "ui/BoundWindow.h"
#include "ui/Component.h"
#include "ui/Control.h"
#include "ui/Menu.h"

namespace tarnwick::ui {

using platform::HWND;
using platform::LPARAM;
using platform::LRESULT;
using platform::UINT;
using platform::WPARAM;

enum class WindowState { Normal, Minimized };

inline constexpr int kVkReturn = 0x0D;
inline constexpr int kVkEscape = 0x1B;

class Form : public Component {
 public:
  using Hook = BoundWindow::Hook;

  explicit Form(std::string className, Component* owner = nullptr);
  ~Form() override;

  const std::string& ClassName() const { return className_; }
  // The window, created now if it does not exist yet.
  HWND Handle();
  bool HandleAllocated() const { return window_.Handle() != nullptr; }

  const std::string& Caption() const { return caption_; }
  // Also the window's title, which a second start of the program looks for.
  void SetCaption(std::string caption);
  bool Visible() const;
  void SetVisible(bool visible);
  WindowState State() const;
  void SetWindowState(WindowState state);
  bool IsMdiFrame() const { return false; }
  // The size of the area inside the frame, as the layout gives it.
  const Bounds& ClientSize() const { return clientSize_; }
  void SetClientSize(int width, int height) { clientSize_ = {0, 0, width, height}; }
  const Font& GetFont() const { return font_; }
  void SetFont(Font font) { font_ = std::move(font); }

  // Hooks see every message before the form; a result takes the message.
  int AddHook(Hook hook);
  void RemoveHook(int id) { window_.RemoveHook(id); }

  // The form's top-level controls; their children hang below them.
  void AddControl(Control& control) { controls_.push_back(&control); }
  const std::vector<Control*>& Controls() const { return controls_; }
  // Every control of the form, each parent before its children.
  void EachControl(const std::function<void(Control&)>& visit) const;
  MainMenu* Menu() const { return menu_; }
  void SetMenu(MainMenu* menu) { menu_ = menu; }
  // Gives the window, every control and the menu their real windows when the application has
  // a backend.
  void CreatePeers();

  Control* FocusedControl() const { return focused_; }
  void SetFocusedControl(Control* control) { focused_ = control; }
  // Escape presses the cancel button; Enter presses the default button unless the focus is on
  // another button. Returns whether a button took the key.
  bool KeyDown(int virtualKey);

  // Asks CloseQuery; when it agrees the window hides, and closing the main window ends the loop.
  void Close();
  // The user asked to close the window (its close box, Alt+F4).
  void UserClose() { Close(); }
 protected:
  // The form's own handling of a message that no hook took. The main window's minimise box
  // minimises the application.
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Whether the window may close now; a form can refuse.
  virtual void CloseQuery(bool& canClose) { (void)canClose; }

 private:
  std::string className_;
  std::string caption_;
  BoundWindow window_;
  bool visible_ = false;
  std::vector<Control*> controls_;
  MainMenu* menu_ = nullptr;
  Control* focused_ = nullptr;
  Bounds clientSize_{0, 0, 400, 300};
  Font font_;
};

}  // namespace tarnwick::ui
