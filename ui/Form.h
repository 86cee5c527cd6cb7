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

enum class WindowState { Normal, Minimized };
// Single: the main window's fixed frame with a minimise box. Dialog: a fixed dialog frame with
// the system menu and close box only.
enum class BorderStyle { Single, Dialog };

// ShowModal's results.
inline constexpr int kMrNone = 0;
inline constexpr int kMrOk = 1;
inline constexpr int kMrCancel = 2;

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
  BorderStyle GetBorderStyle() const { return borderStyle_; }
  // Before the window exists.
  void SetBorderStyle(BorderStyle style) { borderStyle_ = style; }

  // Shows the form and runs messages until it closes; meanwhile the program's other windows take
  // no input, while its timers and tray icon go on. A WM_QUIT ends it, and is posted again for
  // the loop outside. Returns the modal result (kMrCancel when closed).
  int ShowModal();
  bool Modal() const { return modal_; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }

  // Hooks see every message before the form; a result takes the message.
  int AddHook(Hook hook);
  void RemoveHook(int id) { window_.RemoveHook(id); }

  // The form's top-level controls; their children hang below them.
  void AddControl(Control& control) { controls_.push_back(&control); }
  const std::vector<Control*>& Controls() const { return controls_; }
  // Every control of the form, each parent before its children.
  void EachControl(const std::function<void(Control&)>& visit) const;
  // Every control of the form, in the same order but each parent after its children.
  void EachControlContentsFirst(const std::function<void(Control&)>& visit) const;
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
  // With key preview on, the form sees each key pressed in it before its controls do: OnKeyDown
  // runs, and a key it sets to 0 goes no further. Returns whether the key was taken.
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool preview) { keyPreview_ = preview; }
  bool PreviewKey(int virtualKey, unsigned shift);
  std::function<void(Component& sender, int& key, unsigned shift)> OnKeyDown;

  // Asks CloseQuery; when it agrees OnClose runs and the window hides: a modal form's loop ends
  // with kMrCancel, and closing the main window ends the program's loop.
  void Close();
  // The user asked to close the window (its close box, Alt+F4).
  void UserClose() { Close(); }
 // Events; the sender is the form.
  TNotifyEvent OnShow;   // the form became visible
  TNotifyEvent OnClose;  // the form closes, however that was asked for

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
  BorderStyle borderStyle_ = BorderStyle::Single;
  bool keyPreview_ = false;
  bool modal_ = false;
  int modalResult_ = kMrNone;
};

}  // namespace tarnwick::ui
