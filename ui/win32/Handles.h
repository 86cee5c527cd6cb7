#pragma once
// Owners of the GDI and user32 handles that the peers create.
#include <windows.h>

#include <utility>

#include "ui/Control.h"

namespace tarnwick::ui::win32 {

// The ui namespace names our opaque window handle and message HWND and MSG; here they are
// user32's.
using ::HWND;
using ::MSG;

// The native handle behind one of our opaque ones (they differ in name only).
template <typename Native, typename Ours>
Native ToNative(Ours handle) {
  return reinterpret_cast<Native>(handle);
}

// Owns a GDI object (font, brush, bitmap) and deletes it.
template <typename Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle handle) : handle_(handle) {}
  ~GdiObject() { Reset(); }
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  Handle Get() const { return handle_; }
  void Reset() {
    if (handle_ != nullptr) DeleteObject(std::exchange(handle_, nullptr));
  }

 private:
  Handle handle_ = nullptr;
};

using FontHandle = GdiObject<HFONT>;
using BrushHandle = GdiObject<HBRUSH>;
using BitmapHandle = GdiObject<HBITMAP>;

// A font as the model describes it: face name, height in pixels (negative: character height),
// character set.
FontHandle MakeFont(const Font& font);
bool SameFont(const Font& a, const Font& b);

class MenuHandle {
 public:
  MenuHandle() = default;
  explicit MenuHandle(HMENU menu) : menu_(menu) {}
  ~MenuHandle() { Reset(); }
  MenuHandle(MenuHandle&& other) noexcept : menu_(std::exchange(other.menu_, nullptr)) {}
  MenuHandle& operator=(MenuHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      menu_ = std::exchange(other.menu_, nullptr);
    }
    return *this;
  }
  HMENU Get() const { return menu_; }
  // Hands the menu to a new owner (a window's menu bar or a parent menu destroys it).
  HMENU Release() { return std::exchange(menu_, nullptr); }
  void Reset() {
    if (menu_ != nullptr) DestroyMenu(std::exchange(menu_, nullptr));
  }

 private:
  HMENU menu_ = nullptr;
};

// A child window that its peer destroys. The form's window destroys its children with itself,
// so a window that is already gone is left alone.
class WindowHandle {
 public:
  WindowHandle() = default;
  explicit WindowHandle(HWND window) : window_(window) {}
  ~WindowHandle() { Reset(); }
  WindowHandle(WindowHandle&& other) noexcept : window_(std::exchange(other.window_, nullptr)) {}
  WindowHandle& operator=(WindowHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      window_ = std::exchange(other.window_, nullptr);
    }
    return *this;
  }
  HWND Get() const { return window_; }
  void Reset() {
    HWND window = std::exchange(window_, nullptr);
    if (window != nullptr && IsWindow(window)) DestroyWindow(window);
  }

 private:
  HWND window_ = nullptr;
};

}  // namespace tarnwick::ui::win32
