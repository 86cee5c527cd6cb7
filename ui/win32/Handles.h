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

// A font as the model describes it: face name, height in pixels (negative: character height),
// character set.
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
