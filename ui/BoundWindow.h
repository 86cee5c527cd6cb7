#pragma once
// A window bound to the object that owns it: its class is registered once, the object is found
// through the window's user data from creation until WM_NCDESTROY, every message runs guarded,
// and a hook list sees each message before the owner does. The form, the application window and
// the hidden message windows are all made this way.
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Owners.h"
#include "platform/Platform.h"

namespace tarnwick::ui {

using platform::HWND;
using platform::LPARAM;
using platform::LRESULT;
using platform::UINT;
using platform::WPARAM;

class BoundWindow {
 public:
  // A result takes the message; nullopt passes it on (to the next hook, then the owner, then
  // DefWindowProcA).
  using Hook = std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)>;

  struct Shape {
    const char* className = "";
    const char* title = "";
    os::DWORD style = 0;
    os::DWORD exStyle = 0;
    HWND owner = nullptr;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    os::HBRUSH background = nullptr;  // the class brush
    os::HCURSOR cursor = nullptr;     // the class cursor
  };

  // `owner` is the owning object's own handling, after the hooks.
  explicit BoundWindow(Hook owner) : owner_(std::move(owner)) {}
  ~BoundWindow() { Destroy(); }
  BoundWindow(const BoundWindow&) = delete;
  BoundWindow& operator=(const BoundWindow&) = delete;

  // Registers the class when it is not yet (or has another procedure), then creates the window
  // and binds it. Throws when the window cannot be created.
  HWND Create(const Shape& shape);
  // A child window (shape.owner is its parent) with control id `id`, which its caller owns and
  // destroys: this object only binds it, and lets go of it when it goes itself.
  HWND CreateChild(const Shape& shape, int id);
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

  HWND Make(const Shape& shape, int id);

  Hook owner_;
  platform::WindowOwner handle_;
  bool owned_ = true;
  std::vector<std::pair<int, Hook>> hooks_;
  int nextHook_ = 1;
};

}  // namespace tarnwick::ui
