#pragma once
// A top-level window with its own window class, named after the form's class ("TQuillmoor").
// The window is created when its handle is first needed and bound to the form through
// GWLP_USERDATA. Other components can watch its messages through hooks.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
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

class Form;

// Creates the real windows of a form's controls and menu; installed by ui/win32, none headless.
struct PeerFactory {
  // Gives the form's own window its frame, size, position and font.
  std::function<void(Form& form)> form;
  std::function<std::unique_ptr<ControlPeer>(Form& form, Control& control)> control;
  std::function<void(Form& form, MainMenu& menu)> menu;
};

class Form : public Component {
 public:
  // Sees every message before the form; a result takes the message, nullopt passes it on.
  using Hook = std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)>;

  explicit Form(std::string className, Component* owner = nullptr);
  ~Form() override;

  const std::string& ClassName() const { return className_; }
  // The window, created now if it does not exist yet.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }

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

  int AddHook(Hook hook);
  void RemoveHook(int id);

  // The form's top-level controls; their children hang below them.
  void AddControl(Control& control) { controls_.push_back(&control); }
  const std::vector<Control*>& Controls() const { return controls_; }
  MainMenu* Menu() const { return menu_; }
  void SetMenu(MainMenu* menu) { menu_ = menu; }
  // Gives every control and the menu its real window, parents first, when a factory is installed.
  void CreatePeers();
  static PeerFactory SetPeerFactory(PeerFactory factory);

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
  // The form's own handling of a message that no hook took.
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Whether the window may close now; a form can refuse.
  virtual void CloseQuery(bool& canClose) { (void)canClose; }

 private:
  static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  std::string className_;
  std::string caption_;
  HWND handle_ = nullptr;
  bool visible_ = false;
  std::vector<std::pair<int, Hook>> hooks_;
  int nextHook_ = 1;
  std::vector<Control*> controls_;
  MainMenu* menu_ = nullptr;
  Control* focused_ = nullptr;
  Bounds clientSize_{0, 0, 400, 300};
  Font font_;
};

}  // namespace tarnwick::ui
