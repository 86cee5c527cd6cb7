#pragma once
// Owners of the GDI and user32 handles that the peers create.
#include <windows.h>

#include "platform/Handle.h"
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

// GDI objects: fonts, brushes, bitmaps.
template <typename H>
void DeleteGdiObject(H object) {
  DeleteObject(object);
}
template <typename H>
using GdiObject = platform::UniqueHandle<platform::ClosedBy<H, &DeleteGdiObject<H>>>;
using FontHandle = GdiObject<HFONT>;
using BrushHandle = GdiObject<HBRUSH>;
using BitmapHandle = GdiObject<HBITMAP>;

// Memory device contexts for drawing off screen.
inline void DeleteMemoryDc(HDC dc) { DeleteDC(dc); }
using MemoryDc = platform::UniqueHandle<platform::ClosedBy<HDC, &DeleteMemoryDc>>;

// Global memory until the clipboard takes it (Release).
inline void FreeGlobal(HGLOBAL memory) { GlobalFree(memory); }
using GlobalMemory = platform::UniqueHandle<platform::ClosedBy<HGLOBAL, &FreeGlobal>>;

// A window's device context, given back when the scope ends, with its font put back.
class WindowDc {
 public:
  WindowDc(HWND window, HFONT font) : window_(window), dc_(GetDC(window)) {
    if (dc_ != nullptr && font != nullptr) previous_ = SelectObject(dc_, font);
  }
  ~WindowDc() {
    if (dc_ == nullptr) return;
    if (previous_ != nullptr) SelectObject(dc_, previous_);
    ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
  HGDIOBJ previous_ = nullptr;
};

// A font as the model describes it: face name, height in pixels at 96 DPI (negative: character
// height), character set; its height scaled to the screen.
FontHandle MakeFont(const Font& font);
bool SameFont(const Font& a, const Font& b);

// A menu handed on (Release) to a window's menu bar or a parent menu is destroyed by its new
// owner.
inline void DestroyOwnedMenu(HMENU menu) { DestroyMenu(menu); }
using MenuHandle = platform::UniqueHandle<platform::ClosedBy<HMENU, &DestroyOwnedMenu>>;

// A child window that its peer destroys. The form's window destroys its children with itself,
// so a window that is already gone is left alone.
inline void DestroyChildWindow(HWND window) {
  if (IsWindow(window)) DestroyWindow(window);
}
using WindowHandle = platform::UniqueHandle<platform::ClosedBy<HWND, &DestroyChildWindow>>;

}  // namespace tarnwick::ui::win32
