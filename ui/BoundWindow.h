#pragma once
// A window bound to the object that owns it: its class is registered once, the object is found
// through the window's user data from WM_NCCREATE until WM_NCDESTROY, every message runs
// guarded, and a hook list sees each message before the owner does. The form, the application
// window, the hidden message windows and the drawn controls are all made this way.
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Owners.h"
#include "platform/Platform.h"
#include "ui/Control.h"

namespace tarnwick::ui {

using platform::HWND;
using platform::LPARAM;
using platform::LRESULT;
using platform::UINT;
using platform::WPARAM;

// A window to make, as CreateWindowExA takes it. Every window of the program is described so:
// the bound ones, and the standard controls of the peers.
struct WindowShape {
  const char* className = "";
  const char* title = "";
  os::DWORD style = 0;
  os::DWORD exStyle = 0;
  HWND parent = nullptr;  // the owner of a window that is no child
  Bounds at{};
  int id = 0;                       // a child's control id
  os::HBRUSH background = nullptr;  // for a class of ours: its brush
  os::HCURSOR cursor = nullptr;     // its cursor
  os::HICON icon = nullptr;         // and its icons, large and small
  os::HICON smallIcon = nullptr;
};

class BoundWindow {
 public:
  // A result takes the message; nullopt passes it on (to the next hook, then the owner, then
  // DefWindowProcA).
  using Hook = std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)>;

  // `owner` is the owning object's own handling, after the hooks.
  explicit BoundWindow(Hook owner) : owner_(std::move(owner)) {}
  ~BoundWindow() { Destroy(); }
  BoundWindow(const BoundWindow&) = delete;
  BoundWindow& operator=(const BoundWindow&) = delete;

  // Registers the class when it is not yet (or has another procedure or other icons), then
  // creates the window, bound to this object from its first message on. Throws when the window
  // cannot be created. A child window is its caller's to destroy: this object lets go of it when
  // it goes itself.
  HWND Create(const WindowShape& shape);
  HWND Handle() const { return handle_.Get(); }
  // Unbinds and destroys the window; the owner hears nothing of it.
  void Destroy();

  int AddHook(Hook hook);
  void RemoveHook(int id);

  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT TARNWICK_CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam);
  LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  Hook owner_;
  platform::WindowOwner handle_;
  bool owned_ = true;
  std::vector<std::pair<int, Hook>> hooks_;
  int nextHook_ = 1;
};

}  // namespace tarnwick::ui
