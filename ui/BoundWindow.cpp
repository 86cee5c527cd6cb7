#include "ui/BoundWindow.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "ui/ErrorBoundary.h"

namespace tarnwick::ui {
namespace {

using namespace platform::os;
using platform::Win;

BoundWindow* BoundTo(HWND window) {
  return reinterpret_cast<BoundWindow*>(Win().GetWindowLongPtrA(window, kGwlpUserData));
}

void Bind(HWND window, BoundWindow* object) {
  Win().SetWindowLongPtrA(window, kGwlpUserData, reinterpret_cast<std::intptr_t>(object));
}

}  // namespace

HWND BoundWindow::Create(const WindowShape& shape) {
  if (handle_) return handle_.Get();
  owned_ = (shape.style & kWsChild) == 0;
  HINSTANCE instance = Win().GetModuleHandleA(nullptr);
  WNDCLASSEXA existing;
  const bool registered = Win().GetClassInfoExA(instance, shape.className, &existing) != 0;
  // The icons are the class's, not set on the window: under Wine, WM_SETICON costs a window
  // about 2 ms, a class's icons next to nothing.
  const bool same = registered && existing.lpfnWndProc == &WindowProc &&
                    existing.hIcon == shape.icon && existing.hIconSm == shape.smallIcon;
  if (registered && !same) Win().UnregisterClassA(shape.className, instance);
  if (!same) {
    WNDCLASSEXA windowClass;
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = shape.background;
    windowClass.hCursor = shape.cursor;
    windowClass.hIcon = shape.icon;
    windowClass.hIconSm = shape.smallIcon;
    windowClass.lpszClassName = shape.className;
    Win().RegisterClassExA(&windowClass);
  }
  // WM_NCCREATE binds it (WindowProc), so it comes back bound, or not at all.
  const HWND made = Win().CreateWindowExA(
      shape.exStyle, shape.className, shape.title, shape.style, shape.at.left, shape.at.top,
      shape.at.width, shape.at.height, shape.parent,
      reinterpret_cast<os::HMENU>(static_cast<std::intptr_t>(shape.id)), instance, this);
  if (made == nullptr) {
    throw std::runtime_error(std::string("Cannot create the window ") + shape.className);
  }
  return made;
}

void BoundWindow::Destroy() {
  if (!handle_) return;
  Bind(handle_.Get(), nullptr);  // the owner hears nothing of its window's end
  if (owned_) {
    handle_.Reset();
  } else {
    (void)handle_.Release();  // its owner destroys it
  }
}

int BoundWindow::AddHook(Hook hook) {
  hooks_.emplace_back(nextHook_, std::move(hook));
  return nextHook_++;
}

void BoundWindow::RemoveHook(int id) {
  std::erase_if(hooks_, [id](const auto& entry) { return entry.first == id; });
}

LRESULT BoundWindow::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return Win().DefWindowProcA(handle_.Get(), message, wParam, lParam);
}

LRESULT BoundWindow::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // A hook may remove itself or others while it runs, so walk a copy.
  const auto hooks = hooks_;
  for (const auto& [id, hook] : hooks) {
    if (std::optional<LRESULT> result = hook(message, wParam, lParam)) return *result;
  }
  if (owner_) {
    if (std::optional<LRESULT> result = owner_(message, wParam, lParam)) return *result;
  }
  return Win().DefWindowProcA(window, message, wParam, lParam);
}

LRESULT TARNWICK_CALLBACK BoundWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
  BoundWindow* self = BoundTo(window);
  if (self == nullptr && message == kWmNcCreate) {
    // The creation's parameter is the object to bind, from the window's first message on.
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    self = static_cast<BoundWindow*>(creation->lpCreateParams);
    if (self != nullptr) {
      Bind(window, self);
      self->handle_.Reset(window);
    }
  }
  if (self == nullptr) return Win().DefWindowProcA(window, message, wParam, lParam);
  if (message != kWmNcDestroy) {
    return Guard(LRESULT{0}, [&] { return self->Dispatch(window, message, wParam, lParam); });
  }
  // The window is going on its own (its owner window went); the object forgets it.
  Bind(window, nullptr);
  const LRESULT result =
      Guard(LRESULT{0}, [&] { return self->Dispatch(window, message, wParam, lParam); });
  (void)self->handle_.Release();  // already on its way out
  return result;
}

}  // namespace tarnwick::ui
